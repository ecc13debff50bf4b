// The browser the tests drive: Debian's Chromium, headless, through the DevTools protocol
// (puppeteer-core, which downloads nothing), and a small server for the package and the pages.
import http from "node:http";
import fs from "node:fs";
import path from "node:path";
import os from "node:os";
import puppeteer from "puppeteer-core";
import zlibModule from "node:zlib";
import { fileURLToPath } from "node:url";

const TYPES = { ".html": "text/html", ".mjs": "text/javascript", ".js": "text/javascript",
  ".wasm": "application/wasm", ".png": "image/png", ".json": "application/json" };

// Serves `roots` ({"/prefix/": folder}) on a free local port.
export async function serve(roots) {
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, "http://x").pathname);
    for (const [prefix, folder] of Object.entries(roots)) {
      if (!url.startsWith(prefix)) continue;
      const file = path.join(folder, url.slice(prefix.length));
      if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) break;
      res.writeHead(200, { "content-type": TYPES[path.extname(file)] ?? "application/octet-stream" });
      return fs.createReadStream(file).pipe(res);
    }
    res.writeHead(404).end();
  });
  await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
  return { url: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}

export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      `--user-data-dir=${profile}`, "--font-render-hinting=none"],
  });
  return {
    browser,
    async close() {
      await browser.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// What a test file drives: the npm package (BRELUND_WEB_PACKAGE) served at /pkg/, this folder at
// /test/, and Chromium.
export async function startBrowser() {
  const pkg = process.env.BRELUND_WEB_PACKAGE;
  if (!pkg || !fs.existsSync(path.join(pkg, "brelund-core.wasm"))) throw new Error(`no package at ${pkg}`);
  const server = await serve({ "/pkg/": pkg, "/test/": path.dirname(fileURLToPath(import.meta.url)) });
  const chromium = await launch();
  return {
    server,
    chromium,
    async close() {
      await chromium.close();
      server.close();
    },
  };
}

// A page that reports every console error and uncaught exception into `errors`.
export async function openPage(browser, url, errors = []) {
  const page = await browser.newPage();
  page.on("console", (m) => m.type() === "error" && errors.push(m.text()));
  page.on("pageerror", (e) => errors.push(String(e)));
  await page.goto(url, { waitUntil: "load" });
  return page;
}

// An RGBA PNG as libpng writes it (8 bits, not interlaced): the headless host's snapshots.
export function decodePng(bytes) {
  const zlib = zlibModule;
  let pos = 8, width = 0, height = 0;
  const idat = [];
  while (pos < bytes.length) {
    const len = bytes.readUInt32BE(pos), type = bytes.toString("latin1", pos + 4, pos + 8);
    const body = bytes.subarray(pos + 8, pos + 8 + len);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 6 || body[12] !== 0) throw new Error("not an 8-bit RGBA PNG");
    } else if (type === "IDAT") idat.push(body);
    pos += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * 4, out = new Uint8Array(stride * height);
  for (let y = 0; y < height; y++) {
    const f = raw[y * (stride + 1)], row = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; i++) {
      const a = i >= 4 ? out[y * stride + i - 4] : 0, b = y ? out[(y - 1) * stride + i] : 0;
      const c = i >= 4 && y ? out[(y - 1) * stride + i - 4] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const pred = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][f];
      out[y * stride + i] = (row[i] + pred) & 255;
    }
  }
  return { width, height, data: out };
}

