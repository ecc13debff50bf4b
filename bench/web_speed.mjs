// Creating buttons in a page, in Debian's headless Chromium: 200 buttons against the floor of 200
// canvases of the same size, each given its pixels with one putImageData, in the same page and
// the same run (median of several rounds, taken in turn so that all see the same machine). Two
// ways a page makes them: Boton.create on 200 <div>s, and 200 <brelund-boton> elements written
// as markup (innerHTML) and made at the end of the task, each with its own caption; the markup
// row is also set against 200 canvases written as markup.
// Usage: node web_speed.mjs PACKAGE_FOLDER   (puppeteer-core from host/web/test/node_modules)
// BRELUND_WEB_ROUNDS sets the number of rounds (7).
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

const COUNT = 200, ROUNDS = Number(process.env.BRELUND_WEB_ROUNDS) || 7, WIDTH = 81, HEIGHT = 33;
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
        if (kind === "create") {
          for (let i = 0; i < count; i++) {
            const el = host.appendChild(document.createElement("div"));
            await window.Boton.create(el, { width: w, height: h });
          }
        } else if (kind === "element") {
          let html = "";
          for (let i = 0; i < count; i++)
            html += `<brelund-boton caption="B&amp;otón ${i}" style="width: ${w}px; height: ${h}px"></brelund-boton>`;
          host.innerHTML = html;
          // Made in this task's microtasks; a timer only if that ever changes.
          const last = host.lastElementChild;
          for (let i = 0; i < 100 && !last.boton; i++) await null;
          while (!last.boton) await new Promise((ok) => setTimeout(ok));
        } else if (kind === "canvasMarkup") {
          let html = "";
          for (let i = 0; i < count; i++) html += `<canvas width="${w}" height="${h}"></canvas>`;
          host.innerHTML = html;
          const pixels = new ImageData(w, h);
          for (const c of host.children) c.getContext("2d").putImageData(pixels, 0, 0);
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
        // Elements release their buttons themselves once out of the document.
        if (kind === "create") for (const el of host.children) el.boton.destroy();
        host.remove();
        return ms;
      },
      kind, COUNT, WIDTH, HEIGHT);
  const kinds = ["create", "element", "canvases", "canvasMarkup"];
  const times = Object.fromEntries(kinds.map((k) => [k, []]));
  for (const kind of kinds) await round(kind);  // the first round compiles what the others then reuse
  for (let r = 0; r < ROUNDS; r++) for (const kind of kinds) times[kind].push(await round(kind));
  const median = (a) => [...a].sort((x, y) => x - y)[a.length >> 1];
  const floor = median(times.canvases);
  console.log(`web page speed (headless Chromium, median of ${ROUNDS})  ms  floor ms   ratio   goal`);
  const row = (label, kind, before) => {
    const ours = median(times[kind]);
    console.log(`  ${label.padEnd(34)} ${ours.toFixed(1).padStart(6)}  ${floor.toFixed(1).padStart(8)}  ` +
      `${(ours / floor).toFixed(2).padStart(6)}x   2x   (${before})`);
  };
  row(`${COUNT} x Boton.create, ${WIDTH}x${HEIGHT}`, "create", "before: 3.5-5.0x; 4.6x, 498 ms at first");
  row(`${COUNT} x <brelund-boton> markup`, "element", "before: 3.3-4.3x; 11.7x at first");
  console.log(`  (floor: ${COUNT} canvases of ${WIDTH}x${HEIGHT}, one putImageData each)`);
  // Markup pays for its parsing before any button exists; against canvases written the same way
  // (and then each given its pixels), the element's own share shows.
  const markupFloor = median(times.canvasMarkup);
  console.log(`  ${COUNT} x <brelund-boton> markup, against ${COUNT} <canvas> in markup: ` +
    `${(median(times.element) / markupFloor).toFixed(2)}x (floor ${markupFloor.toFixed(1)} ms)`);
} finally {
  await chromium.close();
  server.close();
}
