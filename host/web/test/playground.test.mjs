// The playground page (build/web/playground.html) as visitors meet it: axe-core finds nothing to
// fix, it fits a phone's 390 px without sideways scrolling, its copy buttons put the form
// entry and the element's HTML on the clipboard, and it previews other device pixel ratios.
// Environment: BRELUND_PLAYGROUND (the built page).
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";
import { pathToFileURL } from "node:url";
import { launch, openPage } from "./harness.mjs";

const playground = process.env.BRELUND_PLAYGROUND;
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
let chromium;

before(async () => {
  assert.ok(playground && fs.existsSync(playground), `no playground at ${playground}`);
  chromium = await launch();
});
after(async () => {
  await chromium?.close();
});

async function open(width) {
  const errors = [];
  const page = await chromium.browser.newPage();
  await page.setViewport({ width, height: 800 });
  page.on("pageerror", (e) => errors.push(String(e)));
  await page.goto(pathToFileURL(path.resolve(playground)).href, { waitUntil: "load" });
  await page.waitForFunction("window.playgroundReady === true", { timeout: 20000 });
  return { page, errors };
}

test("axe-core finds no violation in the playground, wide or narrow", async () => {
  for (const width of [1280, 390]) {
    const { page, errors } = await open(width);
    try {
      await page.evaluate(axeSource);
      const violations = await page.evaluate(async () =>
        (await window.axe.run(document)).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(" ")).join(", ")}`));
      assert.deepEqual(violations, [], `at ${width} px`);
      assert.deepEqual(errors, []);
    } finally {
      await page.close();
    }
  }
});

test("the playground fits a 390 px wide screen without scrolling sideways", async () => {
  const { page } = await open(390);
  try {
    const widths = await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
    assert.equal(widths[0], widths[1], `the page is ${widths[0]} px wide in ${widths[1]}`);
    // Every control is within the screen, none cut off on the right.
    const outside = await page.evaluate(() => [...document.querySelectorAll("input, select, textarea, button, canvas")]
      .filter((el) => el.type !== "file" && el.getBoundingClientRect().right > document.documentElement.clientWidth + 0.5)
      .map((el) => el.id || el.tagName));
    assert.deepEqual(outside, []);
  } finally {
    await page.close();
  }
});

test("the copy button puts the form entry of the button as it is on the clipboard", async () => {
  const { page, errors } = await open(1280);
  try {
    const context = chromium.browser.defaultBrowserContext();
    await context.overridePermissions("file://", ["clipboard-read", "clipboard-write"]).catch(() => {});
    // The clipboard of a headless browser may be refused; what would be written is recorded.
    await page.evaluate(() => {
      window.copied = [];
      navigator.clipboard.writeText = async (text) => void window.copied.push(text);
    });
    await page.evaluate(() => window.button.set("Caption", "Copiado"));
    await page.click("#copyEntry");
    await page.waitForFunction("window.copied.length === 1");
    const entry = JSON.parse(await page.evaluate("window.copied[0]"));
    assert.equal(entry.Properties.Caption, "Copiado");
    assert.deepEqual(entry, await page.evaluate(() => window.button.save()));
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("Copy HTML gives the element that makes the same button", async () => {
  const { page, errors } = await open(1280);
  try {
    await page.evaluate(() => {
      window.copied = [];
      navigator.clipboard.writeText = async (text) => void window.copied.push(text);
      const b = window.button;
      b.set("Caption", `&Sí "ok" <b>`);
      b.set("RoundSize", 12);
      b.set("BackColor", 0x3060c0);
      b.set("ForeColor", 0x8000000d);
      b.set("Enabled", false);
      b.default = true;
    });
    await page.click("#copyHtml");
    await page.waitForFunction("window.copied.length === 1");
    const html = await page.evaluate("window.copied[0]");
    assert.equal(html, `<brelund-boton caption="&amp;Sí &quot;ok&quot; &lt;b>" round-size="12" ` +
      `back-color="0x003060C0" fore-color="0x8000000D" disabled default style="width: 120px; height: 40px"></brelund-boton>`);
    // The element, put in the page, is the same button.
    const same = await page.evaluate(async (html) => {
      const holder = document.body.appendChild(document.createElement("div"));
      holder.innerHTML = html;
      const el = holder.firstElementChild;
      while (!el.boton) await new Promise((ok) => setTimeout(ok, 20));
      const of = async (b) => [(await b.save()).Properties, b.default, b.cancel];
      return [[...await of(el.boton), el.clientWidth, el.clientHeight], [...await of(window.button), 120, 40]];
    }, html);
    assert.deepEqual(same[0], same[1]);
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test("the device pixel ratio switch draws the button at that ratio, pixel for pixel, and it still clicks", async () => {
  const { page, errors } = await open(1280);
  try {
    await page.evaluate(() => window.button.element.addEventListener("Click", () => window.clicks++));
    for (const ratio of ["2", "1.5", "3", "1"]) {
      await page.select("#Ratio", ratio);
      const r = await page.evaluate(() => {
        const el = window.button.element, canvas = el.querySelector("canvas");
        const box = el.getBoundingClientRect();
        return { canvas: [canvas.width, canvas.height], box: [box.width, box.height], x: box.left, y: box.top };
      });
      const k = Number(ratio);
      assert.deepEqual(r.canvas, [Math.round(120 * k), Math.round(40 * k)], `ratio ${ratio}`);
      assert.deepEqual(r.box, [120 * k, 40 * k], `ratio ${ratio}`);
      // A click near the right edge of the zoomed button is on its face.
      await page.evaluate("window.clicks = 0");
      await page.mouse.click(r.x + r.box[0] * 0.85, r.y + r.box[1] / 2);
      assert.equal(await page.evaluate("window.clicks"), 1, `ratio ${ratio}`);
    }
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});
