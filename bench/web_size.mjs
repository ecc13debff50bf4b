// What a page downloads for a button: the browser entry, every module it imports and the
// WebAssembly core, raw and gzipped (level 9, as servers send them), beside the figure before the
// package was split (262 KB gzipped). Usage: node web_size.mjs PACKAGE_FOLDER
import fs from "node:fs";
import path from "node:path";
import zlib from "node:zlib";

const pkg = process.argv[2];
if (!pkg || !fs.existsSync(path.join(pkg, "brelund.mjs"))) {
  console.error(`web_size: no npm package folder at ${pkg} (run ./run web)`);
  process.exit(1);
}
// The entry's imports, followed from its own import lines.
const files = [];
const visit = (name) => {
  if (files.includes(name)) return;
  files.push(name);
  const text = fs.readFileSync(path.join(pkg, name), "utf8");
  for (const m of text.matchAll(/^import [^"]*"\.\/([^"]+)";/gm)) visit(m[1]);
};
visit("brelund.mjs");
files.push("brelund-core.wasm");
const KB = (n) => (n / 1024).toFixed(1).padStart(7);
let raw = 0, gz = 0;
console.log("web shipping module               raw KB   gzip KB");
for (const f of files) {
  const bytes = fs.readFileSync(path.join(pkg, f));
  const z = zlib.gzipSync(bytes, { level: 9 }).length;
  raw += bytes.length;
  gz += z;
  console.log(`  ${f.padEnd(30)} ${KB(bytes.length)}  ${KB(z)}`);
}
console.log(`  ${"total".padEnd(30)} ${KB(raw)}  ${KB(gz)}   (before: 907 KB, 262 KB gzipped; limit 80, goal 60)`);
