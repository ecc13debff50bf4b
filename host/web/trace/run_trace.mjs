// `boton trace --host web`: runs a trace script in node on the browser host's WebAssembly
// module (the trace runner's build, brelund-trace.mjs, beside the page's core). Usage:
// node run_trace.mjs TRACE_FOLDER [SCRIPT|-]
// The script's files are the real ones: the folders they lie in are mounted at their own paths,
// so that names and messages read as on the other hosts.
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";
import { pathToFileURL } from "node:url";

const [dir, script = "-", ...extra] = process.argv.slice(2);
if (!dir || extra.length) {
  process.stderr.write("usage: boton-trace-web [SCRIPT|-]\n");
  process.exit(1);
}
let text;
try {
  text = fs.readFileSync(script === "-" ? 0 : script, "utf8");
} catch (e) {
  process.stderr.write(`boton: trace: cannot read ${script}: ${e.message}\n`);
  process.exit(1);
}
// The loader of an ES module built for node still looks for require() and __dirname.
globalThis.require ??= createRequire(import.meta.url);
globalThis.__dirname ??= dir;
const { default: createBrelundTrace } = await import(pathToFileURL(path.join(dir, "brelund-trace.mjs")).href);
const core = await createBrelundTrace({ wasmBinary: fs.readFileSync(path.join(dir, "brelund-trace.wasm")) });
const { FS } = core;

// Each top folder of the real file system that the run may name, at its own path.
function mount(real) {
  const top = real.split("/")[1];
  if (!top || ["dev", "proc", "sys"].includes(top)) return;
  const at = `/${top}`;
  if (FS.analyzePath(at).exists && FS.isMountpoint?.(FS.lookupPath(at).node)) return;
  if (!FS.analyzePath(at).exists) FS.mkdir(at);
  try {
    FS.mount(FS.filesystems.NODEFS, { root: at }, at);
  } catch {
    // Already mounted: the script's folder and the working folder share their top folder.
  }
}
const folder = script === "-" ? process.cwd() : path.dirname(path.resolve(script));
mount(process.cwd());
mount(folder);
mount("/tmp");
FS.chdir(process.cwd());
// The script's folder as the headless CLI names it: the part of the name before its last slash.
const slash = script.lastIndexOf("/");
const parent = slash < 0 ? "" : slash === 0 ? "/" : script.slice(0, slash);
const r = core.runTrace(text, script === "-" ? "." : parent);
process.stdout.write(r.out);
process.stderr.write(r.err);
process.exitCode = r.status;
