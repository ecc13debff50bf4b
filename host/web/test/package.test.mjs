// The npm package folder as an application would take it: its manifest names files that are
// there, `npm pack` would ship the module, its types and the WebAssembly, and the module loads
// in node (the core needs no page until a button is put on an element).
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { pathToFileURL } from "node:url";

const pkg = process.env.BRELUND_WEB_PACKAGE;

test("npm pack ships the module, its types and the WebAssembly, and nothing else", () => {
  const manifest = JSON.parse(fs.readFileSync(path.join(pkg, "package.json"), "utf8"));
  assert.equal(manifest.name, "brelund");
  assert.equal(manifest.exports["."].default, "./brelund.mjs");
  for (const f of manifest.files) assert.ok(fs.existsSync(path.join(pkg, f)), `${f} is missing`);
  const [packed] = JSON.parse(execFileSync("npm", ["pack", "--dry-run", "--json"], { cwd: pkg }).toString());
  assert.deepEqual(packed.files.map((f) => f.path).sort(), ["brelund-core.mjs", "brelund-core.wasm",
    "brelund.d.ts", "brelund.mjs", "dom.mjs", "package.json"]);
});

test("the module loads, names the members and refuses an element it cannot use", async () => {
  const { Boton, loadCore, EVENTS, SystemColor } = await import(pathToFileURL(path.join(pkg, "brelund.mjs")).href);
  const core = await loadCore();
  assert.equal(core.memberNames().length, 16);
  assert.deepEqual(Object.keys(EVENTS), ["Click", "KeyDown", "KeyPress", "KeyUp", "MouseDown",
    "MouseMove", "MouseUp", "Resize"]);
  assert.equal(SystemColor(15), 0x8000000f);
  assert.throws(() => new Boton(core, {}), /an element to create the button on/);
});

test("the core's trace runner reports a bad line with its number, as the CLI does", async () => {
  const { loadCore } = await import(pathToFileURL(path.join(pkg, "brelund.mjs")).href);
  const core = await loadCore();
  const ok = core.runTrace("new\ninit\nget RoundSize\n", ".");
  assert.deepEqual([ok.status, ok.out, ok.err], [0, '{"value":20}\n', ""]);
  const bad = core.runTrace("new\nfrobnicate\n", ".");
  assert.equal(bad.status, 2);
  assert.match(bad.err, /^boton trace: .*line 2/);
});
