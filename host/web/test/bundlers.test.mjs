// The package as web developers load it: an app that imports "brelund", built by Vite (and served
// by its dev server) and by webpack 5 with no options of ours, and a plain page with an import
// map. Each page shows the button and a real click reaches the app.
// Environment: BRELUND_WEB_PACKAGE (the npm package folder).
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { serve, launch, openPage } from "./harness.mjs";
import { shippingSize } from "../../../bench/web_size.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const pkg = process.env.BRELUND_WEB_PACKAGE;
let chromium;

before(async () => {
  assert.ok(pkg && fs.existsSync(path.join(pkg, "brelund-core.wasm")), `no package at ${pkg}`);
  chromium = await launch();
});
after(async () => {
  await chromium?.close();
});

// No top-level await: Vite's default targets refuse it.
const APP = `import { Boton } from "brelund";
window.clicks = 0;
Boton.create(document.getElementById("b"), { width: 100, height: 30 }).then(async (b) => {
  b.element.addEventListener("Click", () => window.clicks++);
  // The first save fetches the forms module, which the bundler must have shipped too.
  b.Caption = "Saved";
  const entry = await b.save();
  if (entry.Properties.Caption !== "Saved") throw new Error("the saved entry lost its caption");
  window.ready = true;
}, (e) => console.error(String(e)));
`;

// The ceiling holds what the page's module has shed: libc++'s streams and locales (which one
// std::ostringstream brings back, about 20 KB gzipped), the JSON library, the PNG codec and form
// entries (the forms module's, fetched on the first save or load), the C library's number text
// (the browser's stands in), file access, comments and long names in the modules.
// (121 KB before the forms module was split off; 68.6 KB after; 70.4 with the view's one-call
// state, the shared shape, the two-pixel face copy and faces drawn together, which make buttons
// faster; 71.4 with mask images shared between buttons of one shape; 72.0 with alike faces
// shown as one shared image; the goal is 60.)
test("what a page downloads for a button stays under 73 KB gzipped", () => {
  const files = shippingSize(pkg);
  const names = files.map((f) => f.name);
  assert.deepEqual([names[0], names.at(-1)], ["brelund.mjs", "brelund-core.wasm"]);
  assert.ok(names.includes("brelund-core.mjs"), names.join(" "));
  const total = files.reduce((sum, f) => sum + f.gzip, 0);
  assert.ok(total <= 73 * 1024, `${(total / 1024).toFixed(1)} KB gzipped`);
  // The forms module is not among them.
  assert.ok(!names.some((n) => n.startsWith("brelund-forms")), names.join(" "));
});

// A new app folder with the package installed as npm would (copied, not linked: bundlers treat
// a linked package as the app's own source and would spare it what they do to dependencies).
function app(html) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-app-"));
  fs.cpSync(pkg, path.join(dir, "node_modules", "brelund"), { recursive: true });
  fs.writeFileSync(path.join(dir, "package.json"), `{"name": "app", "private": true, "type": "module"}`);
  fs.writeFileSync(path.join(dir, "main.js"), APP);
  fs.writeFileSync(path.join(dir, "index.html"), `<!doctype html><link rel="icon" href="data:,">
<body style="margin:0"><div id="b"></div>${html}</body>`);
  return dir;
}

// Opens the page, waits for the button, clicks it where it is drawn and expects one Click and
// no error in the console.
async function clicksOnce(url) {
  const errors = [];
  const page = await openPage(chromium.browser, url, errors);
  try {
    await page.waitForFunction("window.ready === true", { timeout: 30000 }).catch((e) => {
      throw new Error(`${e.message}; the page said: ${errors.join(" | ")}`);
    });
    assert.equal(await page.$eval("#b canvas", (c) => c.width > 0), true);
    await page.mouse.click(50, 15);
    assert.equal(await page.evaluate("window.clicks"), 1);
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
}

async function servedFrom(folder, fn) {
  const s = await serve({ "/": folder });
  try {
    await fn(s.url);
  } finally {
    s.close();
  }
}

test("Vite builds an app that imports brelund, with no options, and the button clicks", async () => {
  const { build } = await import("vite");
  const dir = app(`<script type="module" src="./main.js"></script>`);
  try {
    await build({ root: dir, logLevel: "error", configFile: false });
    const dist = path.join(dir, "dist");
    // The core and the forms module went out with the app, under names Vite gave them.
    assert.equal(fs.readdirSync(path.join(dist, "assets")).filter((f) => f.endsWith(".wasm")).length, 2);
    await servedFrom(dist, (url) => clicksOnce(`${url}/index.html`));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test("Vite's dev server serves the app and its core, the button clicks, and without the core one error names where it was looked for", async () => {
  const { createServer } = await import("vite");
  const dir = app(`<script type="module" src="./main.js"></script>`);
  const server = await createServer({ root: dir, logLevel: "error", configFile: false,
    server: { port: 0, host: "127.0.0.1" } });
  try {
    await server.listen();
    const address = server.httpServer.address();
    const url = `http://127.0.0.1:${address.port}/index.html`;
    await clicksOnce(url);
    // Without the core anywhere, one error names both places tried.
    fs.rmSync(path.join(dir, "node_modules", "brelund", "brelund-core.wasm"));
    const errors = [];
    const page = await openPage(chromium.browser, url, errors);
    try {
      for (let i = 0; i < 100 && errors.length === 0; i++) await new Promise((ok) => setTimeout(ok, 100));
      assert.equal(errors.length, 1, errors.join(" | "));
      assert.match(errors[0], /^Error: Brelund: cannot load the WebAssembly core from \S+\/\.vite\/deps\/brelund-core\.wasm: .* \(nor from \S+\/node_modules\/brelund\/brelund-core\.wasm\)$/);
    } finally {
      await page.close();
    }
  } finally {
    await server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test("webpack 5 builds an app that imports brelund, with no options, and the button clicks", async () => {
  const { default: webpack } = await import("webpack");
  const dir = app(`<script src="./main.js"></script>`);
  try {
    const dist = path.join(dir, "dist");
    const stats = await new Promise((ok, fail) =>
      webpack({ mode: "production", context: dir, entry: "./main.js", output: { path: dist } },
        (err, s) => (err ? fail(err) : ok(s))));
    assert.deepEqual(stats.toJson({ all: false, errors: true }).errors, []);
    assert.equal(fs.readdirSync(dist).filter((f) => f.endsWith(".wasm")).length, 2);
    fs.copyFileSync(path.join(dir, "index.html"), path.join(dist, "index.html"));
    await servedFrom(dist, (url) => clicksOnce(`${url}/index.html`));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test("a plain page loads brelund through an import map, and the button clicks", async () => {
  const dir = app(`<script type="importmap">{"imports": {"brelund": "./node_modules/brelund/brelund.mjs"}}</script>
<script type="module" src="./main.js"></script>`);
  try {
    await servedFrom(dir, (url) => clicksOnce(`${url}/index.html`));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
