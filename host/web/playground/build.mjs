// Writes the playground page: host/web/playground/playground.html with the module and its
// WebAssembly inlined, so that the page also works from a file:// URL, where a browser loads
// neither modules nor .wasm files (the forms module too, which the page's module otherwise
// fetches on the first save or load). Usage: node build.mjs PACKAGE_FOLDER OUT [ESBUILD]
// With --standalone, writes instead brelund.js: the same as one classic script that defines
// window.Brelund ({Boton, SystemColor, EVENTS, BotonError, loadCore}), for pages that include it
// with <script src>, from a file or without a module loader.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const standalone = args[0] === "--standalone";
const [pkg, out, esbuild = "esbuild"] = standalone ? args.slice(1) : args;
if (!pkg || !out) {
  console.error("usage: node build.mjs [--standalone] PACKAGE_FOLDER OUTPUT [ESBUILD]");
  process.exit(2);
}

// The package's modules, with the WebAssembly's addresses as data: addresses (which fetch()
// reads from a file:// page too), bundled by esbuild into one script.
const dataUrl = (name) => `data:application/wasm;base64,${fs.readFileSync(path.join(pkg, name)).toString("base64")}`;
const work = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-standalone-"));
let script;
try {
  for (const f of fs.readdirSync(pkg).filter((f) => f.endsWith(".mjs"))) {
    let text = fs.readFileSync(path.join(pkg, f), "utf8");
    if (f === "brelund.mjs") {
      for (const wasm of ["brelund-core.wasm", "brelund-forms.wasm"]) {
        const at = new RegExp(`new URL\\(\\s*"\\./${wasm.replace(".", "\\.")}"\\s*,\\s*import\\.meta\\.url\\s*\\)\\.href`);
        if (!at.test(text)) throw new Error(`brelund.mjs no longer names ${wasm} as build.mjs expects`);
        text = text.replace(at, () => JSON.stringify(dataUrl(wasm)));
      }
    }
    // A classic script has no import.meta; its page's address stands in.
    text = text.replaceAll("import.meta.url", "document.baseURI");
    fs.writeFileSync(path.join(work, f), text);
  }
  fs.writeFileSync(path.join(work, "standalone.mjs"), `import { Boton, BotonError, SystemColor, EVENTS, loadCore } from "./brelund.mjs";
window.Brelund = { Boton, BotonError, SystemColor, EVENTS, loadCore };\n`);
  execFileSync(esbuild, [path.join(work, "standalone.mjs"), "--bundle", "--format=iife", "--minify",
    "--log-level=warning", `--outfile=${path.join(work, "brelund.js")}`], { stdio: "inherit" });
  script = fs.readFileSync(path.join(work, "brelund.js"), "utf8");
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}

function write(text) {
  fs.mkdirSync(path.dirname(out), { recursive: true });
  fs.writeFileSync(out + ".tmp", text);
  fs.renameSync(out + ".tmp", out);
}
if (standalone) {
  write(script);
  process.exit(0);
}
const page = fs.readFileSync(path.join(here, "playground.html"), "utf8");
if (!page.includes("<!-- brelund:core -->") || !page.includes("/* brelund:module */"))
  throw new Error("playground.html lost its markers");
// A closing script tag inside the inlined code would end the script early.
const safe = (text) => text.replace(/<\/script/gi, "<\\/script");
const html = page.replace("<!-- brelund:core -->", () => `<script>${safe(script)}</script>`)
  .replace("/* brelund:module */", "const { Boton, BotonError, SystemColor, EVENTS, loadCore } = window.Brelund;");
write(html);
