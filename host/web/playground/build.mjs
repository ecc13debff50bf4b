// Writes the playground page: host/web/playground/playground.html with the WebAssembly core
// (the single-file build) and the module inlined, so that the page works from a file:// URL,
// where a browser loads neither modules nor .wasm files. Usage: node build.mjs WEB_BUILD OUT
// With --standalone, writes instead brelund.js: the same core and module as one classic script
// that defines window.Brelund ({Boton, SystemColor, EVENTS, BotonError, loadCore}), for pages
// that include it with <script src>, from a file or without a module loader.
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const standalone = args[0] === "--standalone";
const [build, out] = standalone ? args.slice(1) : args;
if (!build || !out) {
  console.error("usage: node build.mjs [--standalone] WEB_BUILD_FOLDER OUTPUT");
  process.exit(2);
}
const js = path.join(here, "..", "js");
const core = fs.readFileSync(path.join(build, "host", "web", "brelund-inline.js"), "utf8");
// The module's files as one script: their imports are the names defined before them.
// The inlined core has its WebAssembly inside: where the module would look for the .wasm beside
// itself, the page's own address serves (and is never asked for).
const unexport = (text) =>
  text.replace(/^import .*;\n/gm, "").replace(/^export (const|function|class|async function) /gm, "$1 ")
    .replaceAll("import.meta.url", "document.baseURI");
const module = [unexport(fs.readFileSync(path.join(js, "dom.mjs"), "utf8")),
  unexport(fs.readFileSync(path.join(js, "brelund.mjs"), "utf8"))].join("\n");
function write(text) {
  fs.writeFileSync(out + ".tmp", text);
  fs.renameSync(out + ".tmp", out);
}
if (standalone) {
  write(`${core}\n(() => {\n"use strict";\n${module}\nwindow.Brelund = { Boton, BotonError, SystemColor, EVENTS, loadCore };\n})();\n`);
  process.exit(0);
}
const page = fs.readFileSync(path.join(here, "playground.html"), "utf8");
if (!page.includes("<!-- brelund:core -->") || !page.includes("/* brelund:module */"))
  throw new Error("playground.html lost its markers");
// A closing script tag inside the inlined code would end the script early.
const safe = (text) => text.replace(/<\/script/gi, "<\\/script");
const html = page
  .replace("<!-- brelund:core -->", () => `<script>\n${safe(core)}\n</script>`)
  .replace("/* brelund:module */", () => safe(module));
write(html);
