// Writes the playground page: host/web/playground/playground.html with the module and its
// WebAssembly core inlined, so that the page also works from a file:// URL, where a browser
// loads neither modules nor .wasm files (the forms module too, which the page's module otherwise
// fetches on the first save or load). Usage: node build.mjs PACKAGE_FOLDER OUT
// With --standalone, writes instead brelund.js: the same core and module as one classic script
// that defines window.Brelund ({Boton, SystemColor, EVENTS, BotonError, loadCore}), for pages
// that include it with <script src>, from a file or without a module loader.
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const standalone = args[0] === "--standalone";
const [pkg, out] = standalone ? args.slice(1) : args;
if (!pkg || !out) {
  console.error("usage: node build.mjs [--standalone] PACKAGE_FOLDER OUTPUT");
  process.exit(2);
}
const read = (name) => fs.readFileSync(path.join(pkg, name), "utf8");
// The module's files as one script: their imports are the names defined before them. The
// WebAssembly's bytes come from data: addresses, which fetch() reads from a file:// page too.
const dataUrl = (name) => `data:application/wasm;base64,${fs.readFileSync(path.join(pkg, name)).toString("base64")}`;
const unexport = (text) =>
  text.replace(/^import .*;\n/gm, "").replace(/^export (const|function|class|async function) /gm, "$1 ")
    // The core's only export, under whatever name the minifier left it.
    .replace(/export default (\w+);?\s*$/, (_, name) =>
      name === "createBrelundCore" ? "" : `const createBrelundCore = ${name};\n`)
    .replace('new URL("./brelund-core.wasm", import.meta.url).href', () => JSON.stringify(dataUrl("brelund-core.wasm")))
    .replace('new URL("./brelund-forms.wasm", import.meta.url).href', () => JSON.stringify(dataUrl("brelund-forms.wasm")))
    .replace('import("./brelund-forms.mjs")', "Promise.resolve({ default: createBrelundForms })")
    .replaceAll("import.meta.url", "document.baseURI");
// The forms module in its own scope: its minified names would meet the core's.
const formsModule = `const createBrelundForms = (() => {\n${read("brelund-forms.mjs").replace(/export\s*\{\s*(\w+)\s+as\s+default\s*\};?\s*$|export default (\w+);?\s*$/, (_, a, b) => `return ${a ?? b};`)}\n})();`;
const module = [unexport(read("brelund-core.mjs")), formsModule, unexport(read("dom.mjs")), unexport(read("element.mjs")), unexport(read("brelund.mjs"))].join("\n");
for (const marker of ["data:application/wasm", "createBrelundForms })", "return "])
  if (!module.includes(marker)) throw new Error("brelund.mjs no longer names its modules as build.mjs expects");
function write(text) {
  fs.mkdirSync(path.dirname(out), { recursive: true });
  fs.writeFileSync(out + ".tmp", text);
  fs.renameSync(out + ".tmp", out);
}
if (standalone) {
  write(`(() => {\n"use strict";\n${module}\nwindow.Brelund = { Boton, BotonError, SystemColor, EVENTS, loadCore };\n})();\n`);
  process.exit(0);
}
const page = fs.readFileSync(path.join(here, "playground.html"), "utf8");
if (!page.includes("<!-- brelund:core -->") || !page.includes("/* brelund:module */"))
  throw new Error("playground.html lost its markers");
// A closing script tag inside the inlined code would end the script early.
const safe = (text) => text.replace(/<\/script/gi, "<\\/script");
const html = page.replace("<!-- brelund:core -->", "").replace("/* brelund:module */", () => safe(module));
write(html);
