// Creating buttons in a page, in Debian's headless Chromium: 200 buttons against the floor of 200
// canvases of the same size, each given its pixels with one putImageData, in the same page and
// the same run (median of several rounds, taken in turn so that both see the same machine).
// Usage: node web_speed.mjs PACKAGE_FOLDER   (puppeteer-core from host/web/test/node_modules)
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const tests = path.join(here, "..", "host", "web", "test");
const pkg = process.argv[2];
if (!pkg || !fs.existsSync(path.join(pkg, "brelund-core.wasm"))) {
  console.error(`web_speed: no npm package folder at ${pkg} (run ./run web)`);
  process.exit(1);
}
if (!fs.existsSync(path.join(tests, "node_modules", "puppeteer-core"))) {
  console.error("web_speed: skipped, the tests' npm packages are not installed (npm ci in host/web/test)");
  process.exit(0);
}
const { serve, launch } = await import(pathToFileURL(path.join(tests, "harness.mjs")).href);

const COUNT = 200, ROUNDS = 7, WIDTH = 81, HEIGHT = 33;
const server = await serve({ "/pkg/": path.resolve(pkg) + "/", "/": here + "/" });
const chromium = await launch();
try {
  const page = await chromium.browser.newPage();
  await page.goto(`${server.url}/pkg/package.json`);
  await page.setContent(`<!doctype html><body></body>`);
  await page.evaluate(async (base) => {
    const { loadCore, Boton } = await import(`${base}/pkg/brelund.mjs`);
    await loadCore();
    window.Boton = Boton;
  }, server.url);
  const round = (kind) =>
    page.evaluate(
      async (kind, count, w, h) => {
        const host = document.body.appendChild(document.createElement("div"));
        const t0 = performance.now();
        if (kind === "buttons") {
          for (let i = 0; i < count; i++) {
            const el = host.appendChild(document.createElement("div"));
            await window.Boton.create(el, { width: w, height: h });
          }
        } else {
          const pixels = new ImageData(w, h);
          for (let i = 0; i < count; i++) {
            const c = host.appendChild(document.createElement("canvas"));
            c.width = w;
            c.height = h;
            c.getContext("2d").putImageData(pixels, 0, 0);
          }
        }
        void document.body.offsetHeight;  // style and layout are part of the cost
        const ms = performance.now() - t0;
        for (const el of host.querySelectorAll("div")) el.boton?.destroy();
        host.remove();
        return ms;
      },
      kind, COUNT, WIDTH, HEIGHT);
  const times = { buttons: [], canvases: [] };
  await round("buttons");  // the first round compiles what the others then reuse
  await round("canvases");
  for (let r = 0; r < ROUNDS; r++) {
    times.buttons.push(await round("buttons"));
    times.canvases.push(await round("canvases"));
  }
  const median = (a) => a.sort((x, y) => x - y)[a.length >> 1];
  const ours = median(times.buttons), floor = median(times.canvases);
  const ratio = ours / floor;
  console.log("web page speed (headless Chromium)      ms     floor ms   ratio   goal");
  console.log(`  create ${COUNT} buttons ${WIDTH}x${HEIGHT}        ${ours.toFixed(1).padStart(7)}  ${floor.toFixed(1).padStart(9)}  ${ratio.toFixed(2).padStart(6)}x   2x` +
    `   (floor: ${COUNT} canvases, one putImageData each; median of ${ROUNDS}; before: 498 ms)`);
} finally {
  await chromium.close();
  server.close();
}
