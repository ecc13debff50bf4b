// The playground page (build/web/playground.html) as visitors meet it: axe-core finds nothing to
// fix, it fits a phone's 390 px without sideways scrolling, and its copy buttons put the form
// entry on the clipboard.
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
