// The browser host in Debian's headless Chromium with real input (DevTools Input events, which
// the page receives as trusted pointer and key events).
// Environment: BRELUND_WEB_PACKAGE (the npm package folder), BOTON (the headless CLI),
// BRELUND_PLAYGROUND (build/web/playground.html).
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL, fileURLToPath } from "node:url";
import { serve, openPage, decodePng, startBrowser } from "./harness.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const pkg = process.env.BRELUND_WEB_PACKAGE;
const boton = process.env.BOTON;
const playground = process.env.BRELUND_PLAYGROUND;
let server, chromium, browser, page, errors;

before(async () => ({ server, chromium } = browser = await startBrowser()));
after(() => browser?.close());

async function freshPage() {
  errors = [];
  page = await openPage(chromium.browser, `${server.url}/test/page.html`, errors);
  await page.waitForFunction("window.ready === true");
  await page.evaluate("window.log.length = 0");
}
const log = () => page.evaluate("window.log");
const count = (entries, on, event) => entries.filter((e) => e.on === on && e.event === event).length;
async function box(id) {
  return page.$eval(`#${id}`, (el) => {
    const r = el.getBoundingClientRect();
    return { x: r.left, y: r.top, w: r.width, h: r.height };
  });
}

test("each real click on the face clicks once, with the press and release around it", async () => {
  await freshPage();
  const b = await box("first");
  assert.deepEqual([b.w, b.h], [81, 33]);
  // Left of the caption: the face's own point.
  for (let i = 0; i < 3; i++) {
    await page.mouse.click(b.x + 8, b.y + 16);
    await new Promise((ok) => setTimeout(ok, 50));
  }
  const entries = await log();
  assert.equal(count(entries, "first", "Click"), 3);
  assert.equal(count(entries, "first", "MouseDown"), 3);
  assert.equal(count(entries, "first", "MouseUp"), 3);
  const down = entries.find((e) => e.event === "MouseDown");
  // Pixels are 15 twips.
  assert.deepEqual([down.detail.Button, down.detail.Shift, down.detail.X, down.detail.Y], [1, 0, 120, 240]);
  // On the caption, the caption's own coordinates: it reports the press itself.
  await page.mouse.click(b.x + 40, b.y + 16);
  const onCaption = (await log()).filter((e) => e.event === "MouseDown").pop();
  const caption = await page.$eval("#first span", (el) => [el.offsetLeft, el.offsetTop]);
  assert.deepEqual([onCaption.detail.X, onCaption.detail.Y], [(40 - caption[0]) * 15, (16 - caption[1]) * 15]);
  assert.equal(count(await log(), "first", "Click"), 4);
  // A release off the button after a press there is no click.
  await page.mouse.move(b.x + 40, b.y + 16);
  await page.mouse.down();
  await page.mouse.move(b.x + 200, b.y + 200);
  await page.mouse.up();
  assert.equal(count(await log(), "first", "Click"), 4);
  assert.deepEqual(errors, []);
});

test("a click in a cut-away corner reaches the element behind, not the button", async () => {
  await freshPage();
  const b = await box("first");
  await page.mouse.click(b.x + 1, b.y + 1);
  await page.mouse.click(b.x + b.w - 2, b.y + b.h - 2);
  let entries = await log();
  assert.equal(count(entries, "behind", "click"), 2);
  assert.equal(count(entries, "first", "MouseDown"), 0);
  // Square corners (RoundSize 0) keep the whole rectangle: the same point is the button's.
  await page.evaluate("window.buttons.first.set('RoundSize', 0)");
  await page.mouse.click(b.x + 1, b.y + 1);
  entries = await log();
  assert.equal(count(entries, "behind", "click"), 2);
  assert.equal(count(entries, "first", "Click"), 1);
});

test("Enter and Escape in a form work its default and cancel buttons", async () => {
  await freshPage();
  await page.focus("#name");
  await page.keyboard.press("Enter");
  let entries = await log();
  assert.equal(count(entries, "ok", "Click"), 1);
  assert.equal(count(entries, "cancel", "Click"), 0);
  assert.equal(count(entries, "dialog", "submit"), 0, "Enter went to the button, not the form");
  await page.keyboard.press("Escape");
  entries = await log();
  assert.equal(count(entries, "cancel", "Click"), 1);
  assert.equal(count(entries, "ok", "Click"), 1);
  // With a modifier, Enter is not the default button's.
  await page.keyboard.down("Shift");
  await page.keyboard.press("Enter");
  await page.keyboard.up("Shift");
  assert.equal(count(await log(), "ok", "Click"), 1);
  // A disabled default button takes no Enter.
  await page.evaluate("window.buttons.ok.set('Enabled', false)");
  await page.focus("#name");
  await page.keyboard.press("Enter");
  assert.equal(count(await log(), "ok", "Click"), 1);
  assert.deepEqual(errors, []);
});

test("Enter clicks the focused button, and a form's keys never reach another form", async () => {
  await freshPage();
  // A focused Cancel is clicked by Enter, not the form's default button.
  await page.focus("#cancel");
  await page.keyboard.press("Enter");
  let entries = await log();
  assert.deepEqual([count(entries, "cancel", "Click"), count(entries, "ok", "Click")], [1, 0]);
  // A button outside every form clicks itself; no form's default button hears it.
  await page.focus("#first");
  await page.keyboard.press("Enter");
  entries = await log();
  assert.deepEqual([count(entries, "first", "Click"), count(entries, "ok", "Click")], [1, 0]);
  assert.equal(count(entries, "ok2", "Click"), 0);
  // In the second form's field, Enter is that form's default button's; Escape finds no cancel
  // button there and reaches nobody in the first form.
  await page.focus("#name2");
  await page.keyboard.press("Enter");
  await page.keyboard.press("Escape");
  entries = await log();
  assert.deepEqual([count(entries, "ok2", "Click"), count(entries, "ok", "Click")], [1, 0]);
  assert.equal(count(entries, "cancel", "Click"), 1);
  assert.deepEqual(errors, []);
});

test("keys reach the focused button: Space clicks on release, Tab moves the focus", async () => {
  await freshPage();
  await page.focus("#first");
  await page.keyboard.down(" ");
  let entries = await log();
  assert.equal(count(entries, "first", "Click"), 0);
  assert.deepEqual(entries.filter((e) => e.on === "first").map((e) => e.event), ["KeyDown", "KeyPress"]);
  await page.keyboard.up(" ");
  entries = await log();
  assert.equal(count(entries, "first", "Click"), 1);
  const up = entries.find((e) => e.event === "KeyUp");
  assert.deepEqual(up.detail, { KeyCode: 32, Shift: 0 });
  await page.keyboard.press("Tab");
  assert.equal(await page.evaluate("document.activeElement.id"), "name");
});

test("the pointer lights the face, and the hover timer puts it out once the pointer has left", async () => {
  await freshPage();
  const b = await box("first");
  const face = `(() => { const c = document.querySelector("#first canvas");
    return [...c.getContext("2d").getImageData(0, 0, c.width, c.height).data].join(); })()`;
  const rest = await page.evaluate(face);
  await page.mouse.move(b.x + 8, b.y + 16);
  await page.waitForFunction((f, r) => eval(f) !== r, { timeout: 10000 }, face, rest);
  assert.equal(await page.evaluate("window.buttons.first.get('Enabled')"), true);
  // Off the button, over the page: the timer's next tick sees the pointer elsewhere.
  await page.mouse.move(b.x + 300, b.y + 200);
  await page.waitForFunction((f, r) => eval(f) === r, { timeout: 10000 }, face, rest);
  // Into a cut-away corner is off the button too.
  await page.mouse.move(b.x + 8, b.y + 16);
  await page.waitForFunction((f, r) => eval(f) !== r, { timeout: 10000 }, face, rest);
  await page.mouse.move(b.x + 1, b.y + 1);
  await page.waitForFunction((f, r) => eval(f) === r, { timeout: 10000 }, face, rest);
  assert.deepEqual(errors, []);
});

test("buttons share one set of listeners, and follow pointer moves only while one is under the pointer", async () => {
  await freshPage();
  const cdp = await page.createCDPSession();
  const listeners = async (expression) => {
    const { result } = await cdp.send("Runtime.evaluate", { expression });
    const { listeners } = await cdp.send("DOMDebugger.getEventListeners", { objectId: result.objectId });
    return listeners.map((l) => l.type).sort();
  };
  // Four buttons on the page: no input listener on their elements (the page's own listeners
  // for the control's events are there), each input listened to once on the document.
  const types = ["blur", "click", "contextmenu", "focus", "keydown", "keyup", "pointerdown", "pointerout",
    "pointerover", "pointerup"];
  for (const id of ["first", "ok", "cancel", "ok2"]) {
    const own = await listeners(`document.getElementById("${id}")`);
    assert.deepEqual(own.filter((t) => types.includes(t) || t === "pointermove"), [], id);
  }
  const shared = await listeners("document");
  for (const type of types) assert.equal(shared.filter((t) => t === type).length, type === "keydown" ? 2 : 1, type);
  assert.ok(!shared.includes("pointermove"), "no move listener while the pointer is away");
  const b = await box("first");
  await page.mouse.move(b.x + 8, b.y + 16);
  assert.ok((await listeners("document")).includes("pointermove"), "moves followed over a button");
  await page.mouse.move(b.x + 300, b.y + 200);
  assert.ok(!(await listeners("document")).includes("pointermove"), "and no more once it has left");
  // A button inside a closed shadow root, which the document cannot see into, still clicks.
  const clicks = await page.evaluate(async () => {
    const host = document.body.appendChild(document.createElement("div"));
    const root = host.attachShadow({ mode: "closed" });
    const el = root.appendChild(document.createElement("div"));
    const button = await window.buttons.Boton.create(el, { width: 81, height: 33 });
    let n = 0;
    el.addEventListener("Click", () => n++);
    window.shadowed = { el, count: () => n, button };
    const r = el.getBoundingClientRect();
    return [r.left, r.top];
  });
  await page.mouse.click(clicks[0] + 8, clicks[1] + 16);
  assert.equal(await page.evaluate("window.shadowed.count()"), 1);
  await page.evaluate("window.shadowed.button.destroy()");
  assert.deepEqual(errors, []);
});

test("a listener's write to a by-reference argument is what the control goes on with", async () => {
  await freshPage();
  const b = await box("first");
  const face = () => page.$eval("#first canvas", (c) => [...c.getContext("2d").getImageData(0, 0, c.width, c.height).data].join());
  await page.mouse.move(b.x + 8, b.y + 16);
  // A left press that a listener (the page's, before the button's own) turns into the right
  // button does not press the face in.
  await page.evaluate(`window.toRight = (e) => { e.detail.Button = 2; };
    document.addEventListener("MouseDown", window.toRight, true)`);
  await page.mouse.down();
  const asRight = await face();
  await page.mouse.up();
  const released = await face();
  await page.evaluate(`document.removeEventListener("MouseDown", window.toRight, true)`);
  await page.mouse.down();
  const pressed = await face();
  await page.mouse.up();
  assert.equal(asRight, released, "the face stayed at rest under the rewritten press");
  assert.notEqual(pressed, released, "a left press draws the pressed face");
  const downs = (await log()).filter((e) => e.event === "MouseDown");
  assert.deepEqual(downs.map((e) => e.detail.Button), [2, 1]);
});

test("the module gets and sets every member by name, and saves and loads the form entry", async () => {
  await freshPage();
  const r = await page.evaluate(async () => {
    const { first, Boton } = window.buttons;
    const out = { members: first.members };
    first.set("caption", "Guardar");
    first.set("Font", { Name: "DejaVu Sans", Size: 12, Bold: true });
    first.set("BackColor", 0x3060c0);
    first.set("ForeColor", window.buttons.SystemColor(14));
    first.set("RoundSize", 8);
    first.set("Light", -30);
    first.set("Roundness3D", 35);
    first.set("CreateRegion", false);
    first.set("ToolTipText", "Guarda el formulario");
    const image = new ImageData(4, 2);
    image.data.fill(200);
    first.set("Picture", image);
    out.values = Object.fromEntries(["Caption", "BackColor", "ForeColor", "RoundSize", "Light",
      "Roundness3D", "CreateRegion", "ToolTipText", "Enabled"].map((n) => [n, first.get(n)]));
    out.font = first.get("Font");
    const pic = first.get("Picture");
    out.picture = [pic.width, pic.height, pic.data[0], pic.data.length];
    try {
      first.set("RoundSize", "mucho");
    } catch (e) {
      out.error = [e.name, e.number];
    }
    for (const bad of [{ width: 2, height: 2, data: [1, 2, 3] }, { width: 2, height: 2, data: new Uint8Array(15) },
      { width: -1, height: 2, data: new Uint8Array(8) }, { width: 2, height: 2 }]) {
      try {
        first.set("Picture", bad);
        out.badPicture = "taken";
      } catch (e) {
        (out.badPictures ??= []).push(e.number);
      }
    }
    try {
      first.get("Nada");
    } catch (e) {
      out.unknown = e.number;
    }
    // The same members as properties of the object, and the extender's Default by name.
    first.RoundSize = 9;
    out.asProperties = [first.RoundSize, first.get("RoundSize"), typeof first.Refresh];
    first.set("Default", true);
    out.extender = [first.default, first.get("default")];
    first.default = false;
    first.RoundSize = 8;
    out.saved = await first.save();
    const el = document.createElement("div");
    document.body.append(el);
    return Boton.create(el, { entry: JSON.stringify(out.saved) }).then(async (copy) => {
      out.copy = await copy.save();
      out.copyCaption = copy.get("Caption");
      out.size = [el.getBoundingClientRect().width, el.getBoundingClientRect().height];
      return out;
    });
  });
  assert.deepEqual(r.members, ["Caption", "Enabled", "Font", "MouseIcon", "MousePointer", "Picture",
    "Refresh", "BackColor", "ForeColor", "RoundSize", "Light", "ToolTipText", "BackColorOriginal",
    "CreaNuevaRegion", "CreateRegion", "Roundness3D"]);
  // ForeColor reads back as the caption holds it, resolved from the scheme: highlight text is white.
  assert.deepEqual(r.values, { Caption: "Guardar", BackColor: 0x3060c0, ForeColor: 0xffffff,
    RoundSize: 8, Light: -30, Roundness3D: 35, CreateRegion: false,
    ToolTipText: "Guarda el formulario", Enabled: true });
  assert.equal(r.font.Size, 12);
  assert.equal(r.font.Bold, true);
  assert.deepEqual(r.picture, [4, 2, 200, 32]);
  assert.deepEqual(r.asProperties, [9, 9, "function"]);
  assert.deepEqual(r.extender, [true, true]);
  assert.deepEqual(r.error, ["BotonError", 13]);
  assert.equal(r.unknown, 438);
  assert.deepEqual(r.badPictures, [380, 380, 380, 380]);
  assert.equal(r.badPicture, undefined);
  assert.deepEqual(Object.keys(r.saved.Properties), ["Caption", "Font", "Picture", "BackColor",
    "ForeColor", "RoundSize", "Light", "ToolTipText", "CreateRegion", "Roundness3D"]);
  assert.match(r.saved.Properties.Picture.png, /^iVBORw0KGgo/);
  assert.deepEqual(r.copy, r.saved, "a loaded entry saves the same");
  assert.equal(r.copyCaption, "Guardar");
  assert.deepEqual(r.size, [81, 33]);
  assert.deepEqual(errors, []);
});

// The headless host's picture of the same button, with its caption's box.
function headless(lines) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-face-"));
  try {
    const script = ["new", "init", "size 1215 495", "show", ...lines, `snapshot ${dir}/face.png`, "state"];
    const out = execFileSync(boton, ["trace", "-"], { input: script.join("\n") + "\n" }).toString();
    const state = out.trim().split("\n").map((l) => JSON.parse(l)).find((j) => j.state).state;
    return { png: decodePng(fs.readFileSync(`${dir}/face.png`)), label: state.Label };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

test("the face read back from the canvas is the headless host's outside the caption box", async () => {
  await freshPage();
  const looks = [
    { trace: [], page: [] },
    { trace: ["let RoundSize 40", "let Light -45"], page: [["RoundSize", 40], ["Light", -45]] },
    { trace: ["let BackColor &H3060C0", "let Roundness3D 40"], page: [["BackColor", 0x3060c0], ["Roundness3D", 40]] },
    { trace: ["let CreateRegion False"], page: [["CreateRegion", false]] },
    { trace: ["let Enabled False"], page: [["Enabled", false]] },
  ];
  for (const look of looks) {
    const want = headless(look.trace);
    const got = await page.evaluate(async (sets) => {
      const el = document.createElement("div");
      document.body.append(el);
      const b = await window.buttons.Boton.create(el, { width: 81, height: 33 });
      for (const [n, v] of sets) b.set(n, v);
      const c = el.querySelector("canvas");
      const data = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
      b.destroy();
      el.remove();
      return { width: c.width, height: c.height, data: [...data] };
    }, look.page);
    assert.deepEqual([got.width, got.height], [want.png.width, want.png.height]);
    const l = want.label, x0 = l.Left / 15, y0 = l.Top / 15;
    const x1 = x0 + Math.ceil(l.Width / 15), y1 = y0 + Math.ceil(l.Height / 15);
    let compared = 0;
    for (let y = 0; y < got.height; y++)
      for (let x = 0; x < got.width; x++) {
        if (x >= x0 && x < x1 && y >= y0 && y < y1) continue;
        const i = (y * got.width + x) * 4;
        const a = got.data.slice(i, i + 4), b = [...want.png.data.slice(i, i + 4)];
        // A transparent pixel is transparent; its colour is nobody's.
        const same = a[3] === 0 && b[3] === 0 ? true : a.every((v, k) => v === b[k]);
        assert.ok(same, `${look.trace.join(", ") || "default"}: pixel ${x},${y} is ${a}, headless ${b}`);
        compared++;
      }
    assert.ok(compared > 81 * 33 / 2, `only ${compared} pixels lie outside the caption box`);
  }
  assert.deepEqual(errors, []);
});

// Three alike buttons, no caption over the face; the last then gets a face of its own. What the
// screen shows, one device pixel to one, is what a script reads from each canvas; the alike ones
// show the same.
async function alikeFaces(ratio = 1) {
  await page.setViewport({ width: 800, height: 600, deviceScaleFactor: ratio });
  const ids = await page.evaluate(async () => {
    const ids = ["alike1", "alike2", "changed"];
    for (const [i, id] of ids.entries()) {
      const el = Object.assign(document.createElement("div"), { id });
      el.style.cssText = `position: absolute; left: ${300 + i * 100}px; top: 20px`;
      document.body.append(el);
      const b = await window.buttons.Boton.create(el, { width: 81, height: 33 });
      b.set("Caption", "");
    }
    document.getElementById("changed").boton.set("BackColor", 0x3060c0);
    return ids;
  });
  await new Promise((ok) => setTimeout(ok, 100));
  // What the screen shows, before any script reads a canvas.
  const clip = { x: 300, y: 20, width: 281, height: 33 };
  const shot = decodePng(await page.screenshot({ clip, omitBackground: true }));
  const [w, h] = [81 * ratio, 33 * ratio];
  assert.equal(shot.width, clip.width * ratio);
  const shown = (i) => {
    const out = [];
    for (let y = 0; y < h; y++)
      for (let x = 0; x < w; x++) {
        const at = (y * shot.width + i * 100 * ratio + x) * 4;
        out.push([...shot.data.slice(at, at + 4)]);
      }
    return out;
  };
  for (const [i, id] of ids.entries()) {
    // What a script reads from the button's canvas is the face it shows.
    const face = await page.$eval(`#${id} canvas`,
      (c) => [c.width, ...c.getContext("2d").getImageData(0, 0, c.width, c.height).data]);
    assert.equal(face.shift(), w);
    const screen = shown(i);
    let compared = 0;
    // Where both are opaque (the shape's edge may cut a face pixel the browser smooths).
    for (let p = 0; p < w * h; p++) {
      if (face[p * 4 + 3] !== 255 || screen[p][3] !== 255) continue;
      const where = `${id} at ${ratio}x: pixel ${p % w},${Math.floor(p / w)}`;
      assert.deepEqual(screen[p], face.slice(p * 4, p * 4 + 4), where);
      compared++;
    }
    assert.ok(compared > (w * h) / 2, `${id}: only ${compared} opaque pixels`);
  }
  assert.deepEqual(shown(0), shown(1));
  assert.notDeepEqual(shown(0), shown(2));
}

test("alike buttons show the same face on screen, and one whose face changes shows its own", async () => {
  for (const ratio of [1, 2]) {
    await freshPage();
    await alikeFaces(ratio);
    assert.deepEqual(errors, []);
  }
  // A page whose policy refuses images from data shows the same faces.
  errors = [];
  page = await openPage(chromium.browser, `${server.url}/test/csp.html`, errors);
  await page.waitForFunction("window.ready === true");
  await alikeFaces();
  // Only the refused image is reported.
  assert.ok(errors.every((e) => /violates the following Content Security Policy/.test(e)), errors.join("\n"));
});

test("a page opened from a file uses the standalone script, with real input", async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-page-"));
  try {
    fs.copyFileSync(path.join(pkg, "brelund.js"), path.join(dir, "brelund.js"));
    fs.writeFileSync(path.join(dir, "page.html"), `<!doctype html><meta charset="utf-8">
      <link rel="icon" href="data:,"><body style="margin:0"><div id="b"></div>
      <script src="brelund.js"></script><script>
        window.clicks = 0;
        Brelund.Boton.create(document.getElementById("b"), { width: 100, height: 30 }).then((b) => {
          b.set("Caption", "Archivo");
          b.element.addEventListener("Click", () => window.clicks++);
          window.ready = true;
        });
      </script>`);
    const errs = [];
    const p = await openPage(chromium.browser, pathToFileURL(path.join(dir, "page.html")).href, errs);
    await p.waitForFunction("window.ready === true");
    await p.mouse.click(8, 15);
    await p.mouse.click(8, 15);
    assert.equal(await p.evaluate("window.clicks"), 2);
    assert.equal(await p.$eval("#b span", (el) => el.textContent), "Archivo");
    assert.deepEqual(errs, []);
    await p.close();
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test("the playground loads with no console error, and its button logs its events", async () => {
  assert.ok(playground && fs.existsSync(playground), `no playground at ${playground}`);
  for (const url of [pathToFileURL(playground).href]) {
    const errs = [];
    const p = await openPage(chromium.browser, url, errs);
    await p.waitForFunction("window.playgroundReady === true", { timeout: 20000 });
    const r = await p.$eval("#button", (el) => {
      const b = el.getBoundingClientRect();
      return { x: b.left, y: b.top, w: b.width, h: b.height };
    });
    await p.mouse.click(r.x + r.w / 2, r.y + r.h / 2);
    const logText = await p.$eval("#log", (el) => el.textContent);
    assert.match(logText, /Click/);
    const saved = JSON.parse(await p.$eval("#saved", (el) => el.value));
    assert.equal(typeof saved.Properties, "object");
    assert.deepEqual(errs, []);
    await p.close();
  }
});

// A server that does not have the core, or answers with a page in its place (as an app's
// history fallback does), gives one error naming the address, not the runtime's abort.
test("a missing or wrong core gives one error that names the address tried", async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-nocore-"));
  try {
    for (const f of ["brelund.mjs", "dom.mjs", "element.mjs", "brelund-core.mjs"]) {
      fs.mkdirSync(path.join(dir, "missing"), { recursive: true });
      fs.mkdirSync(path.join(dir, "html"), { recursive: true });
      fs.copyFileSync(path.join(pkg, f), path.join(dir, "missing", f));
      fs.copyFileSync(path.join(pkg, f), path.join(dir, "html", f));
    }
    fs.writeFileSync(path.join(dir, "html", "brelund-core.wasm"), "<!doctype html><title>app</title>");
    fs.writeFileSync(path.join(dir, "page.html"), '<!doctype html><link rel="icon" href="data:,">');
    const s = await serve({ "/": dir });
    try {
      const p = await openPage(chromium.browser, `${s.url}/page.html`, []);
      const attempt = (folder) => p.evaluate(async (folder) => {
        const { Boton } = await import(`/${folder}/brelund.mjs`);
        try {
          await Boton.create(document.body);
          return "loaded";
        } catch (e) {
          return e.message;
        }
      }, folder);
      assert.equal(await attempt("missing"),
        `Brelund: cannot load the WebAssembly core from ${s.url}/missing/brelund-core.wasm: HTTP 404 Not Found`);
      assert.equal(await attempt("html"),
        `Brelund: cannot load the WebAssembly core from ${s.url}/html/brelund-core.wasm: the server sent 33 bytes of application/wasm, not WebAssembly`);
      await p.close();
    } finally {
      s.close();
    }
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// An app that imports "brelund" from node_modules, bundled by esbuild with no options: the page
// entry has no node modules to refuse. esbuild does not copy files named by new URL(), so the
// core goes beside the bundle, as the package's README says.
test("an app bundled by esbuild with no options shows a button that clicks", async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-esbuild-"));
  try {
    fs.mkdirSync(path.join(dir, "node_modules"));
    fs.symlinkSync(pkg, path.join(dir, "node_modules", "brelund"));
    fs.writeFileSync(path.join(dir, "main.js"), `import { Boton } from "brelund";
      window.clicks = 0;
      const b = await Boton.create(document.getElementById("b"), { width: 100, height: 30 });
      b.element.addEventListener("Click", () => window.clicks++);
      window.ready = true;`);
    const esbuild = path.join(here, "node_modules", ".bin", "esbuild");
    execFileSync(esbuild, ["main.js", "--bundle", "--format=esm", "--outdir=dist", "--log-level=error"], { cwd: dir });
    fs.copyFileSync(path.join(pkg, "brelund-core.wasm"), path.join(dir, "dist", "brelund-core.wasm"));
    fs.writeFileSync(path.join(dir, "dist", "index.html"), `<!doctype html><link rel="icon" href="data:,">
      <body style="margin:0"><div id="b"></div><script type="module" src="main.js"></script>`);
    const s = await serve({ "/": path.join(dir, "dist") });
    try {
      const errs = [];
      const p = await openPage(chromium.browser, `${s.url}/index.html`, errs);
      await p.waitForFunction("window.ready === true", { timeout: 20000 });
      await p.mouse.click(8, 15);
      assert.equal(await p.evaluate("window.clicks"), 1);
      assert.deepEqual(errs, []);
      await p.close();
    } finally {
      s.close();
    }
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
