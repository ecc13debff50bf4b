// What a page downloads for a button: the browser entry, every module it imports and the
// WebAssembly core, raw and gzipped (level 9, as servers send them), beside the figures of before
// (262 KB gzipped before the package was split, 121 KB before the forms module was). The forms
// module, fetched on a button's first save or load, is shown apart. Usage: node web_size.mjs
// PACKAGE_FOLDER
// The web tests import shippingSize() to hold the package to its ceiling.
import fs from "node:fs";
import path from "node:path";
import zlib from "node:zlib";
import { fileURLToPath } from "node:url";

// The files of the shipping module, each with its raw and gzipped size in bytes.
export function shippingSize(pkg) {
  // The entry's imports, followed from its own import lines.
  const files = [];
  const visit = (name) => {
    if (files.includes(name)) return;
    files.push(name);
    const text = fs.readFileSync(path.join(pkg, name), "utf8");
    // Static imports only, written out or minified (`import{View as E}from"./dom.mjs"`); the
    // forms module, import()ed on the first save or load, is not part of what a page downloads.
    for (const m of text.matchAll(/\bimport\s*(?:[\w$]+\s*,?\s*)?(?:\{[^}]*\}|\*\s*as\s+[\w$]+)?\s*(?:from\s*)?"\.\/([^"]+)"/g)) visit(m[1]);
  };
  visit("brelund.mjs");
  files.push("brelund-core.wasm");
  return files.map((name) => {
    const bytes = fs.readFileSync(path.join(pkg, name));
    return { name, raw: bytes.length, gzip: zlib.gzipSync(bytes, { level: 9 }).length };
  });
}

if (process.argv[1] && fileURLToPath(import.meta.url) === path.resolve(process.argv[1])) {
  const pkg = process.argv[2];
  if (!pkg || !fs.existsSync(path.join(pkg, "brelund.mjs"))) {
    console.error(`web_size: no npm package folder at ${pkg} (run ./run web)`);
    process.exit(1);
  }
  const KB = (n) => (n / 1024).toFixed(1).padStart(7);
  let raw = 0, gz = 0;
  console.log("web shipping module               raw KB   gzip KB");
  for (const f of shippingSize(pkg)) {
    raw += f.raw;
    gz += f.gzip;
    console.log(`  ${f.name.padEnd(30)} ${KB(f.raw)}  ${KB(f.gzip)}`);
  }
  console.log(`  ${"total".padEnd(30)} ${KB(raw)}  ${KB(gz)}   (262 KB gzipped at first, 121 KB before the forms module; limit 80, goal 60)`);
  let formsRaw = 0, formsGz = 0;
  for (const name of ["brelund-forms.mjs", "brelund-forms.wasm"]) {
    const bytes = fs.readFileSync(path.join(pkg, name));
    formsRaw += bytes.length;
    formsGz += zlib.gzipSync(bytes, { level: 9 }).length;
  }
  console.log(`  ${"forms module (on first save)".padEnd(30)} ${KB(formsRaw)}  ${KB(formsGz)}`);
}
