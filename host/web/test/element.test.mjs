// <brelund-boton> as a page uses it, in Debian's headless Chromium with real input: forms,
// keys, focus, the caption rule, accessibility, the device pixel ratio, sizing from CSS, state
// after a refused value, and a React app mounting it.
// Environment: BRELUND_WEB_PACKAGE (the npm package folder).
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";
import { openPage, startBrowser } from "./harness.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const pkg = process.env.BRELUND_WEB_PACKAGE;
let server, chromium, browser, page, errors;

before(async () => ({ server, chromium } = browser = await startBrowser()));
after(() => browser?.close());

async function freshPage() {
  errors = [];
  page = await openPage(chromium.browser, `${server.url}/test/element.html`, errors);
  await page.waitForFunction("window.ready === true");
}
const log = () => page.evaluate("window.log.splice(0)");
const events = (entries) => entries.map((e) => `${e.on}:${e.event}`);
async function centre(id) {
  return page.$eval(`#${id}`, (el) => {
    const r = el.getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2, left: r.left, top: r.top, w: r.width, h: r.height };
  });
}
const settle = () => page.evaluate(() => new Promise((ok) => requestAnimationFrame(() => setTimeout(ok))));

test("in a form it submits with its name and value, resets the form, and answers its label", async () => {
  await freshPage();
  const save = await centre("save");
  await page.mouse.click(save.left + 6, save.y);
  let entries = await log();
  assert.deepEqual(events(entries), ["save:Click", "save:click", "form:submit"]);
  assert.deepEqual(entries[2].data, [["who", "Ana"], ["action", "save"]]);
  // Only a submission through the button carries it.
  assert.deepEqual(await page.evaluate(() => [...new FormData(document.getElementById("form"))]), [["who", "Ana"]]);
  // A press dragged off and released elsewhere is no click, for the control nor for the page.
  await page.mouse.move(save.left + 6, save.y);
  await page.mouse.down();
  await page.mouse.move(save.x + 300, save.y + 300);
  await page.mouse.up();
  assert.deepEqual(events(await log()).filter((e) => !e.startsWith("save:Key")), []);
  // The reset button, by Space: the field is back to its first value.
  await page.$eval("#name", (el) => (el.value = "Eva"));
  await page.focus("#reset");
  await page.keyboard.press("Space");
  entries = await log();
  assert.deepEqual(events(entries).filter((e) => !e.includes(":Key")), ["reset:Click", "reset:click", "form:reset"]);
  assert.equal(await page.$eval("#name", (el) => el.value), "Ana");
  // The label and el.click() click the button as the user does.
  await page.click("#label");
  assert.deepEqual(events(await log()).filter((e) => !e.includes(":Key")), ["save:Click", "save:click", "form:submit"]);
  await page.$eval("#save", (el) => el.click());
  assert.deepEqual(events(await log()).filter((e) => !e.includes(":Key")), ["save:Click", "save:click", "form:submit"]);
  // A listener that cancels the page's click keeps the form from submitting.
  await page.$eval("#save", (el) => el.addEventListener("click", (e) => e.preventDefault(), { once: true }));
  await page.mouse.click(save.left + 6, save.y);
  assert.deepEqual(events(await log()), ["save:Click", "save:click"]);
  // A tap is a click too, once.
  await page.touchscreen.tap(save.left + 6, save.y);
  await settle();
  assert.deepEqual(events(await log()).filter((e) => !e.includes(":Key")), ["save:Click", "save:click", "form:submit"]);
  // Enter in the field is the default button's.
  await page.focus("#name");
  await page.keyboard.press("Enter");
  assert.deepEqual(events(await log()).filter((e) => !e.includes(":Key")), ["save:Click", "save:click", "form:submit"]);
  // Outside its <form> but named to it by form="": still that form's default button.
  await page.evaluate(() => {
    const save = document.getElementById("save");
    save.setAttribute("form", "form");
    document.getElementById("outside").append(save);
  });
  await settle();
  await page.focus("#name");
  await page.keyboard.press("Enter");
  entries = await log();
  assert.deepEqual(events(entries).filter((e) => !e.includes(":Key")), ["save:Click", "save:click", "form:submit"]);
  assert.deepEqual(entries.find((e) => e.event === "submit").data, [["who", "Ana"], ["action", "save"]]);
  assert.deepEqual(errors, []);
});

test("a disabled button matches :disabled, takes no focus, and nothing clicks it", async () => {
  await freshPage();
  assert.deepEqual(await page.$$eval("brelund-boton:disabled", (els) => els.map((e) => e.id)), ["off"]);
  const off = await centre("off");
  await page.mouse.click(off.x, off.y);
  await page.$eval("#off", (el) => { el.focus(); el.click(); });
  assert.notEqual(await page.evaluate(() => document.activeElement.id), "off");
  await page.keyboard.press("Space");
  await page.keyboard.press("Enter");
  assert.deepEqual(events(await log()), []);
  // A Click listener that disables its button: the focus leaves it, and neither Space nor Enter
  // clicks it again (no double submission).
  await page.$eval("#two", (el) => el.addEventListener("Click", () => el.boton.set("Enabled", false)));
  await page.focus("#two");
  await page.keyboard.press("Space");
  assert.equal(await page.$eval("#two", (el) => [el.disabled, el.matches(":disabled")].join()), "true,true");
  assert.notEqual(await page.evaluate(() => document.activeElement.id), "two");
  await page.keyboard.press("Space");
  await page.keyboard.press("Enter");
  assert.equal(events(await log()).filter((e) => e === "two:Click").length, 1);
  // Enabled again through the attribute: focusable and clickable again.
  await page.$eval("#two", (el) => (el.disabled = false));
  assert.equal(await page.$eval("#two", (el) => el.boton.get("Enabled")), true);
  await page.focus("#two");
  await page.keyboard.press("Enter");
  assert.equal(events(await log()).filter((e) => e === "two:Click").length, 1);
  // A fieldset's disabled state reaches the button too.
  await page.evaluate(() => {
    const fs = document.createElement("fieldset");
    document.getElementById("form").append(fs);
    fs.append(document.getElementById("reset"));
    fs.disabled = true;
  });
  await settle();
  assert.equal(await page.$eval("#reset", (el) => [el.matches(":disabled"), el.boton.get("Enabled")].join()), "true,false");
  assert.deepEqual(errors, []);
});

test("the caption reads its marks: no & drawn or named, lines centred, Alt+letter clicks", async () => {
  await freshPage();
  const save = await page.$eval("#save", (el) => ({
    text: el.querySelector("[data-boton-caption]").textContent,
    key: el.querySelector("u")?.textContent,
    name: el.getAttribute("aria-label"),
    shortcut: el.getAttribute("aria-keyshortcuts"),
  }));
  assert.deepEqual(save, { text: "Save", key: "S", name: "Save", shortcut: "Alt+S" });
  const two = await page.$eval("#two", (el) => {
    const lines = [...el.querySelectorAll("[data-boton-caption] > div")];
    return {
      text: lines.map((l) => l.textContent),
      name: el.getAttribute("aria-label"),
      // The centre of each line's text.
      centres: lines.map((l) => {
        const range = document.createRange();
        range.selectNodeContents(l);
        const r = range.getBoundingClientRect();
        return Math.round(r.left + r.width / 2);
      }),
    };
  });
  assert.deepEqual(two.text, ["A & B", "second line"]);
  assert.equal(two.name, "A & B second line");
  assert.ok(Math.abs(two.centres[0] - two.centres[1]) <= 1, `lines centred: ${two.centres}`);
  await page.focus("#name");
  await page.keyboard.down("Alt");
  await page.keyboard.press("s");
  await page.keyboard.up("Alt");
  assert.deepEqual(events(await log()).filter((e) => !e.includes(":Key")), ["save:Click", "save:click", "form:submit"]);
  // The element's own accesskey works as a marked letter does.
  await page.keyboard.down("Alt");
  await page.keyboard.press("k");
  await page.keyboard.up("Alt");
  assert.deepEqual(events(await log()).filter((e) => !e.includes(":Key")), ["two:Click", "two:click"]);
  assert.deepEqual(errors, []);
});

const require = createRequire(import.meta.url);

test("axe-core finds no violation, and the accessibility tree names every button and its states", async () => {
  await freshPage();
  await page.addScriptTag({ path: require.resolve("axe-core/axe.min.js") });
  const result = await page.evaluate(() => window.axe.run(document, { resultTypes: ["violations"] }));
  assert.deepEqual(result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`), []);
  const cdp = await page.createCDPSession();
  const { nodes } = await cdp.send("Accessibility.getFullAXTree");
  const buttons = nodes.filter((n) => n.role?.value === "button").map((n) => {
    const prop = (name) => n.properties?.find((p) => p.name === name)?.value.value;
    return [n.name?.value, Boolean(prop("disabled")), Boolean(prop("focusable"))];
  });
  assert.deepEqual(buttons, [["Save", false, true], ["Reset", false, true], ["A & B second line", false, true],
    ["Open", false, true], ["Off", true, false]]);
  // The page's own name wins, also over a later caption.
  const named = await page.$eval("#pic", (el) => {
    el.setAttribute("aria-label", "Open the file");
    el.boton.set("Caption", "&Open");
    return el.getAttribute("aria-label");
  });
  assert.equal(named, "Open the file");
  assert.deepEqual(errors, []);
});

test("the keyboard's focus shows an outline that the hover look does not have", async () => {
  await freshPage();
  const two = await centre("two");
  // The ring's pixels, just outside the element's box.
  const ring = async () => {
    const shot = await page.screenshot({ clip: { x: two.left - 3, y: two.top - 3, width: two.w + 6, height: 3 } });
    return shot.toString("base64");
  };
  await page.mouse.move(two.x, two.y);
  await settle();
  const hovered = await ring();
  await page.mouse.move(0, 0);
  await page.focus("#reset");
  await page.keyboard.press("Tab");
  assert.equal(await page.evaluate(() => document.activeElement.id), "two");
  assert.equal(await page.$eval("#two", (el) => el.matches(":focus-visible")), true);
  assert.notEqual(await ring(), hovered);
  // An author's own ring wins over the element's.
  await page.addStyleTag({ content: "#two:focus-visible { outline: 4px solid rgb(255, 0, 0); }" });
  assert.equal(await page.$eval("#two", (el) => getComputedStyle(el).outlineColor), "rgb(255, 0, 0)");
  // Forced colours keep a disabled caption apart from an enabled one.
  const cdp = await page.createCDPSession();
  await cdp.send("Emulation.setEmulatedMedia", { features: [{ name: "forced-colors", value: "active" }] });
  assert.equal(await page.evaluate(() => matchMedia("(forced-colors: active)").matches), true);
  const colours = await page.$$eval("#two, #off", (els) =>
    els.map((el) => getComputedStyle(el.querySelector("[data-boton-caption]")).color));
  assert.notEqual(colours[0], colours[1]);
  assert.deepEqual(errors, []);
});

test("the face has the device's pixels, and the CSS box is the button's extent", async () => {
  await page?.close();
  errors = [];
  page = await chromium.browser.newPage();
  page.on("pageerror", (e) => errors.push(String(e)));
  await page.setViewport({ width: 800, height: 600, deviceScaleFactor: 2 });
  await page.goto(`${server.url}/test/element.html`);
  await page.waitForFunction("window.ready === true");
  const canvas = () => page.$eval("#save canvas", (c) => [c.width, c.height, c.style.width]);
  assert.deepEqual(await canvas(), [162, 66, "81px"]);
  // The face is drawn at the device's resolution, as the Qt host draws it: the gradient's
  // lines fall between the logical pixels, so two device rows of one logical row differ
  // somewhere, where an upscaled face would repeat each logical row.
  const middleColumn = () => page.$eval("#save canvas", (c) => {
    const d = c.getContext("2d").getImageData(c.width >> 1, 0, 1, c.height).data;
    return Array.from({ length: c.height }, (_, y) => d.slice(y * 4, y * 4 + 3).join());
  });
  const deviceRows = await middleColumn();
  assert.ok(deviceRows.some((v, y) => y % 2 === 0 && v !== deviceRows[y + 1]), deviceRows.join(" "));
  // The corners step in device pixels: the shape has half-pixel edges, and more steps than the
  // same shape at a ratio of 1.
  const steps = () => page.$eval("#save [data-boton-shape]", (el) => el.style.clipPath.split("M").length - 1);
  const shape = await page.$eval("#save [data-boton-shape]", (el) => el.style.clipPath);
  assert.match(shape, /\d\.5[ HVZ]/);
  const fine = await steps();
  // A new ratio (a zoom, another screen) draws the face and the shape again. The emulated
  // ratio sends neither the media query's change nor a resize, so the test sends the resize.
  const newRatio = async (deviceScaleFactor) => {
    await page.setViewport({ width: 800, height: 600, deviceScaleFactor });
    await page.evaluate(() => window.dispatchEvent(new Event("resize")));
  };
  await newRatio(1);
  await page.waitForFunction(() => document.querySelector("#save canvas").width === 81);
  // The flat middle band is the same colour at both ratios.
  const logicalRows = await middleColumn();
  assert.equal(deviceRows[deviceRows.length >> 1], logicalRows[logicalRows.length >> 1]);
  assert.ok(fine > await steps(), `${fine} steps at 2, no more at 1`);
  await newRatio(3);
  await page.waitForFunction(() => document.querySelector("#save canvas").width === 243);
  // CSS sizes the button: Resize is raised and the control takes the new extent; the author's
  // position wins over the element's own.
  await page.$eval("#save", (el) => {
    el.addEventListener("Resize", () => window.log.push({ on: "save", event: "Resize" }));
    el.style.cssText = "width: 140px; height: 40px; position: absolute; left: 300px";
  });
  await page.waitForFunction(async () => (await document.getElementById("save").boton.save()).Width === 140 * 15);
  assert.equal(await page.$eval("#save", async (el) => (await el.boton.save()).Height), 40 * 15);
  assert.ok(events(await log()).includes("save:Resize"));
  assert.equal(await page.$eval("#save", (el) => getComputedStyle(el).position), "absolute");
  // A huge CSS box is bounded as resize() bounds it, and still drawn.
  await page.$eval("#save", (el) => (el.style.width = "100000px"));
  await page.waitForFunction(async () => (await document.getElementById("save").boton.save()).Width > 140 * 15);
  const huge = await page.$eval("#save", async (el) => [(await el.boton.save()).Width / 15, el.querySelector("canvas").width]);
  assert.ok(huge[0] <= 100000 && huge[1] > 0 && huge[1] <= 32767, `${huge}`);
  assert.deepEqual(errors, []);
});

test("a refused value leaves the old one, load keeps what the entry lacks, destroy leaves a plain element", async () => {
  await freshPage();
  const r = await page.$eval("#two", async (el) => {
    const b = el.boton;
    const out = {};
    try {
      b.set("Light", 100000);
    } catch (e) {
      out.error = e.number;
    }
    out.light = b.get("Light");
    b.set("Caption", "after");
    out.caption = b.get("Caption");
    // An attribute that does not convert: the element's BotonError event, the old value kept.
    const seen = [];
    el.addEventListener("BotonError", (e) => seen.push(e.detail.number));
    el.setAttribute("round-size", "big");
    out.attributeErrors = seen;
    out.roundSize = b.get("RoundSize");
    el.setAttribute("round-size", "7");
    out.roundSizeAfter = b.get("RoundSize");
    el.setAttribute("back-color", "rgb(1, 2, 3)");
    out.backColor = b.get("BackColor");
    b.default = true;
    // What the entry leaves out of the extent and the form's keys stays; its properties are
    // the whole set (RoundSize, left out, is back to its default).
    await el.load({ Properties: { Caption: "loaded" } });
    out.afterLoad = [b.get("Caption"), (await b.save()).Width, b.get("RoundSize"), b.default];
    // A value the button refuses (RoundSize) after one it would take (Caption): nothing of it
    // is applied, and the page hears nothing of it (no PropertyChanged).
    const changes = [];
    el.addEventListener("PropertyChanged", (e) => changes.push(e.detail.name));
    try {
      await b.load({ Width: 3000, Default: false, Properties: { Caption: "half", RoundSize: "big" } });
    } catch (e) {
      out.loadError = e.number;
    }
    out.afterFailedLoad = [b.get("Caption"), b.get("RoundSize"), (await b.save()).Width, b.default];
    // An entry the form file's reader refuses (a picture that is not PNG) never reaches the
    // button; neither does text that is not JSON.
    out.unreadable = [];
    for (const entry of [{ Properties: { Caption: "never", Picture: { png: "R0lGODlh" } } }, "{not json"])
      await b.load(entry).catch((e) => out.unreadable.push(e.number ?? e.name));
    out.afterUnreadable = [b.get("Caption"), [...changes]];
    // (A load that is taken is heard: its new picture objects.)
    await b.load({ Properties: { Caption: "taken" } });
    out.heard = changes.length > 0;
    // Without a document the element's save is refused as a promise, not thrown.
    const loose = document.createElement("brelund-boton");
    out.looseSave = await loose.save().then(() => "saved", (e) => e.message);
    return out;
  });
  assert.deepEqual(r, { error: 6, light: 45, caption: "after", attributeErrors: [13], roundSize: 20,
    roundSizeAfter: 7, backColor: 0x030201, afterLoad: ["loaded", 120 * 15, 20, true],
    loadError: 380, afterFailedLoad: ["loaded", 20, 120 * 15, true], unreadable: [380, "SyntaxError"],
    afterUnreadable: ["loaded", []], heard: true,
    looseSave: "brelund-boton: the button exists while the element is in a document" });
  // Boton.create on a plain element, then destroy(): the element as it was.
  const plain = await page.evaluate(async () => {
    const { Boton } = await import("/pkg/brelund.mjs");
    const div = document.createElement("div");
    div.innerHTML = "<i>before</i>";
    div.style.color = "blue";
    document.body.append(div);
    const b = await Boton.create(div);
    b.destroy();
    return [div.outerHTML, div.tabIndex];
  });
  assert.deepEqual(plain, ['<div style="color: blue;"><i>before</i></div>', -1]);
  assert.deepEqual(errors, []);
});

test("elements written together each get their own size, caption and look, and stay apart", async () => {
  await freshPage();
  const r = await page.evaluate(async () => {
    const holder = document.createElement("div");
    // Alike but for one caption, one size, one colour, one roundness and one with no shape.
    holder.innerHTML = `<brelund-boton caption="Same"></brelund-boton><brelund-boton caption="Same"></brelund-boton>
      <brelund-boton caption="Other &amp;one" style="width: 130px; height: 45px"></brelund-boton>
      <brelund-boton caption="Same" back-color="#102030"></brelund-boton>
      <brelund-boton caption="Same" round-size="3"></brelund-boton><brelund-boton caption="Same" create-region="false"></brelund-boton>`;
    document.body.append(holder);
    const els = [...holder.querySelectorAll("brelund-boton")];
    while (!els.every((el) => el.boton)) await new Promise((ok) => setTimeout(ok));
    const look = async (el) => {
      const caption = el.querySelector("[data-boton-caption]");
      const c = el.querySelector("canvas");
      const [r, g, b] = c.getContext("2d").getImageData(c.width >> 1, 3, 1, 1).data;
      const saved = await el.boton.save();
      return { size: [saved.Width / 15, saved.Height / 15, c.width, c.height],
        text: caption.textContent, left: caption.offsetLeft, name: el.getAttribute("aria-label"),
        pixel: [r, g, b], shape: el.querySelector("[data-boton-shape]").style.clipPath };
    };
    const before = await Promise.all(els.map(look));
    // One of the alike buttons changes: the other keeps its caption, place and face.
    els[0].boton.set("Caption", "Changed a lot");
    els[0].boton.set("BackColor", 0x0000ff);
    return { before, after: await Promise.all(els.map(look)) };
  });
  const [a, b, other, coloured, rounder, square] = r.before;
  assert.deepEqual([a.size, other.size], [[81, 33, 81, 33], [130, 45, 130, 45]]);
  // Each is cut by its own shape: alike ones by the same, another roundness or none by theirs.
  assert.match(a.shape, /^path\(/);
  assert.ok(![other.shape, rounder.shape, square.shape].includes(a.shape), rounder.shape);
  assert.equal(rounder.size.join(), a.size.join());
  assert.equal(square.shape, "");
  assert.deepEqual([a.text, other.text, other.name], ["Same", "Other one", "Other one"]);
  assert.deepEqual(b, a);
  assert.notEqual(other.left, a.left, "a longer caption is placed further left");
  // The face is shaded, the colour's order of channels stays.
  const [red, green, blue] = coloured.pixel;
  assert.ok(red < green && green < blue, String(coloured.pixel));
  assert.notDeepEqual(a.pixel, coloured.pixel);
  const [changed, kept] = r.after;
  assert.deepEqual(kept, b);
  assert.equal(changed.text, "Changed a lot");
  assert.notEqual(changed.left, kept.left);
  assert.ok(changed.pixel[0] > changed.pixel[2], String(changed.pixel));
  assert.deepEqual(errors, []);
});

test("removing the element releases its control; moving it keeps it", async () => {
  await freshPage();
  const r = await page.evaluate(async () => {
    const el = document.getElementById("two");
    const first = el.boton;
    el.boton.set("Caption", "kept");
    document.body.append(el); // a move
    await new Promise((ok) => setTimeout(ok));
    const moved = el.boton === first && !first.destroyed;
    el.remove();
    await new Promise((ok) => setTimeout(ok));
    const released = first.destroyed && el.boton === undefined && !el.hasAttribute("tabindex");
    document.body.append(el);
    await new Promise((ok) => setTimeout(ok, 50));
    return { moved, released, back: el.boton?.get("Caption") };
  });
  assert.deepEqual(r, { moved: true, released: true, back: "kept" });
  assert.deepEqual(errors, []);
});

test("React in StrictMode mounts, updates and unmounts the element with no wrapper", async () => {
  const { build } = await import("esbuild");
  const dir = fs.mkdtempSync(path.join(here, ".react-"));
  try {
    fs.writeFileSync(path.join(dir, "app.mjs"), `
      import "brelund";
      import { StrictMode, createElement as h, useState } from "react";
      import { createRoot } from "react-dom/client";
      window.log = [];
      function App() {
        const [n, setN] = useState(0);
        window.bump = () => setN((v) => v + 1);
        return h("brelund-boton", { id: "r", caption: "R" + n, ref: (el) => { window.el = el; } });
      }
      const root = createRoot(document.getElementById("root"));
      root.render(h(StrictMode, null, h(App)));
      window.unmount = () => root.unmount();
    `);
    await build({ entryPoints: [path.join(dir, "app.mjs")], bundle: true, format: "esm",
      outfile: path.join(dir, "app.js"), logLevel: "silent",
      alias: { brelund: path.join(pkg, "brelund.mjs") }, define: { "process.env.NODE_ENV": '"development"' },
      loader: { ".wasm": "file" } });
    fs.copyFileSync(path.join(pkg, "brelund-core.wasm"), path.join(dir, "brelund-core.wasm"));
    fs.writeFileSync(path.join(dir, "index.html"),
      '<!doctype html><link rel="icon" href="data:,"><div id="root"></div><script type="module" src="app.js"></script>');
    errors = [];
    page = await openPage(chromium.browser, `${server.url}/test/${path.basename(dir)}/index.html`, errors);
    await page.waitForFunction(() => window.el?.boton?.get("Caption") === "R0");
    await page.evaluate(() => window.bump());
    await page.waitForFunction(() => window.el.boton.get("Caption") === "R1");
    const r = await page.evaluate(async () => {
      const first = window.el.boton;
      const mounted = document.querySelectorAll("[data-boton]").length;
      window.unmount();
      await new Promise((ok) => setTimeout(ok, 20));
      return { mounted, released: first.destroyed, left: document.querySelectorAll("[data-boton]").length };
    });
    assert.deepEqual(r, { mounted: 1, released: true, left: 0 });
    assert.deepEqual(errors, []);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
