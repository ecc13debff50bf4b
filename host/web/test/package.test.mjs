// The npm package folder as an application would take it: its manifest names files that are
// there, `npm pack` would ship the module, its types and the WebAssembly, and the module loads
// in node (the core needs no page until a button is put on an element).
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";

const pkg = process.env.BRELUND_WEB_PACKAGE;
const traceDir = process.env.BRELUND_WEB_TRACE;

test("npm pack ships the entries, their types, the WebAssembly, the standalone script, README and LICENSE, and nothing else", () => {
  const manifest = JSON.parse(fs.readFileSync(path.join(pkg, "package.json"), "utf8"));
  assert.equal(manifest.name, "brelund");
  assert.equal(manifest.license, "MIT");
  // Browsers and bundlers get the entry without node's modules; node the one that reads the file.
  assert.deepEqual(Object.entries(manifest.exports["."]), [["types", "./brelund.d.ts"],
    ["browser", "./brelund.mjs"], ["node", "./brelund-node.mjs"], ["default", "./brelund.mjs"]]);
  assert.doesNotMatch(fs.readFileSync(path.join(pkg, "brelund.mjs"), "utf8"), /node:|require\(/);
  assert.doesNotMatch(fs.readFileSync(path.join(pkg, "brelund-core.mjs"), "utf8"), /require\(|runTrace/);
  // The page's core hands form entries to the forms module, which alone reads and writes them
  // (the functions' names are in each WebAssembly's data).
  const wasm = (name) => fs.readFileSync(path.join(pkg, name)).toString("latin1");
  assert.doesNotMatch(wasm("brelund-core.wasm"), /formOf|entryOf/);
  assert.match(wasm("brelund-core.wasm"), /saveEntry/);
  assert.match(wasm("brelund-forms.wasm"), /formOf/);
  for (const f of manifest.files) assert.ok(fs.existsSync(path.join(pkg, f)), `${f} is missing`);
  const [packed] = JSON.parse(execFileSync("npm", ["pack", "--dry-run", "--json"], { cwd: pkg }).toString());
  assert.deepEqual(packed.files.map((f) => f.path).sort(), ["LICENSE", "README.md",
    "brelund-core.mjs", "brelund-core.wasm", "brelund-forms.mjs", "brelund-forms.wasm", "brelund-node.mjs", "brelund.d.ts", "brelund.js", "brelund.mjs",
    "dom.mjs", "element.mjs", "package.json"]);
});

test("the module loads, names the members and refuses an element it cannot use", async () => {
  const { Boton, loadCore, EVENTS, SystemColor } = await import(pathToFileURL(path.join(pkg, "brelund-node.mjs")).href);
  const core = await loadCore();
  assert.equal(core.memberNames().length, 16);
  assert.deepEqual(Object.keys(EVENTS), ["Click", "KeyDown", "KeyPress", "KeyUp", "MouseDown",
    "MouseMove", "MouseUp", "Resize"]);
  assert.equal(SystemColor(15), 0x8000000f);
  assert.throws(() => new Boton(core, {}), /an element to create the button on/);
});

// The module's event list and its TypeScript declarations are written by hand; the control's
// member and event tables are the source they must follow.
test("the module's events and its types follow the control's member and event tables", async () => {
  const { loadCore, EVENTS } = await import(pathToFileURL(path.join(pkg, "brelund-node.mjs")).href);
  const core = await loadCore();
  const members = core.memberTable();
  const events = core.eventTable();
  assert.deepEqual(Object.entries(EVENTS), events.map((e) => [e.name, e.args]));

  const dts = fs.readFileSync(path.join(pkg, "brelund.d.ts"), "utf8");
  const block = (name) => {
    const m = dts.match(new RegExp(`interface ${name} \\{([^}]*)\\}`));
    assert.ok(m, `brelund.d.ts declares no ${name}`);
    return [...m[1].matchAll(/(?:^|;)\s*(\w+)\??:/gm)].map((f) => f[1]);
  };
  // Every member with a value is a property of Members; the others are MemberName's extras.
  assert.deepEqual(block("Members"), members.filter((m) => m.value || !m.method).map((m) => m.name));
  const extras = dts.match(/type MemberName = keyof Members((?: \| "\w+")*);/);
  assert.ok(extras, "brelund.d.ts declares no MemberName");
  assert.deepEqual([...extras[1].matchAll(/"(\w+)"/g)].map((e) => e[1]),
    members.filter((m) => m.method && !m.value).map((m) => m.name));
  // Every event is in the event map, its detail naming its arguments.
  // Beside them, the module's own two: PropertyChanged and BotonError.
  const start = dts.indexOf("interface BotonEventMap {");
  assert.ok(start >= 0, "brelund.d.ts declares no BotonEventMap");
  const map = dts.slice(start, dts.indexOf("\n}", start));
  const declared = [...map.matchAll(/^\s*(\w+): CustomEvent<(.*)>;$/gm)]
    .filter(([, name]) => name !== "PropertyChanged" && name !== "BotonError");
  const detail = (type) => (type === "{}" ? [] : block(type));
  assert.deepEqual(declared.map(([, name, type]) => [name, detail(type)]),
    events.map((e) => [e.name, e.args]));
});

test("the trace runner's module reports a bad line with its number, as the CLI does", () => {
  const runner = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../trace/run_trace.mjs");
  const run = (input) => {
    try {
      return [0, execFileSync(process.execPath, [runner, traceDir, "-"], { input, stdio: "pipe" }).toString(), ""];
    } catch (e) {
      return [e.status, e.stdout.toString(), e.stderr.toString()];
    }
  };
  assert.deepEqual(run("new\ninit\nget RoundSize\n"), [0, '{"value":20}\n', ""]);
  const bad = run("new\nfrobnicate\n");
  assert.equal(bad[0], 2);
  assert.match(bad[2], /^-:2: unknown command "frobnicate"/);
});

// The page's module writes and reads number text with the browser's own (number_text.js) where
// the other hosts use the C library's printf("%.15g") and strtod: the same values must give the
// same text and the same numbers, halfway cases, exponents and refusals included.
test("the browser build's number text is the C library's", () => {
  if (!process.env.BOTON || !fs.existsSync(process.env.BOTON)) return;  // the other side is the CLI
  const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../../..");
  let seed = 2024;
  const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
  const numbers = [0.1, 0.5, 2.5, 1 / 3, 2 / 3, 1e15, 1e15 + 5, 1e14 + 0.5, 999999999999999.5,
    123456789012345678, 1e21, 1e-5, 1.2345e-5, 0.0001, 0.00012345678901234567, 5e-324,
    2.2250738585072014e-308, 1.7976931348623157e308, 9.999999999999995, 0.9999999999999999,
    99999999999999.95, -7.25, -1e-300, 4503599627370497.5, 1125899906842624.5, 45, 1e100];
  for (let i = 0; i < 300; i++) {
    const magnitude = 10 ** Math.floor(random() * 40 - 20);
    numbers.push((random() < 0.5 ? -1 : 1) * Math.round(random() * 1e6) / 1e6 * magnitude);
    numbers.push(Math.floor(random() * 2 ** 53) * 2 ** Math.floor(random() * 60 - 80));
  }
  const texts = ["2.5", "3.5", "-2.5", " 7 ", ".5", "5.", "+.5e1", "1e", "1e+", "1.2.3", "--1", "+",
    ".", "e5", "0.49999999999999997", "0.5000000000000001", "32767.4999999999999", "32767.5",
    "1e400", "1e-400", "-0", "00012", "1E2", "1e0002", "4.5e-1", "12345678901234567890e-15"];
  const lines = ["new", "init"];
  for (const n of numbers) lines.push(`let Caption ${n}`, "get Caption");
  for (const t of texts) lines.push(`let RoundSize "${t}"`, "get RoundSize");
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-numbers-"));
  try {
    fs.writeFileSync(path.join(dir, "numbers.trace"), lines.join("\n") + "\n");
    // Only what the member holds and what was refused: layout follows each host's fonts.
    const answers = (out) => out.toString().trim().split("\n").filter((l) => /^\{"(value|error)"/.test(l));
    const big = { maxBuffer: 1 << 30 };
    const desktop = answers(execFileSync(process.env.BOTON, ["trace", path.join(dir, "numbers.trace")], big));
    const web = answers(execFileSync(process.execPath, [path.join(root, "host/web/trace/run_trace.mjs"),
      traceDir, path.join(dir, "numbers.trace")], big));
    assert.ok(desktop.filter((l) => l.startsWith(`{"value"`)).length === numbers.length + texts.length);
    assert.deepEqual(web, desktop);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// Pictures from PNG files of every kind the repository holds (libpng's and Chromium's encoders,
// palette, RGB and RGBA, zlib's compressed blocks): the browser build's own decoder must give
// the pixels libpng gives, seen through each host's snapshot of a large, captionless button.
test("the browser build decodes PNG files to the pixels the headless host's libpng gives", async () => {
  const { decodePng } = await import("./harness.mjs");
  const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../../..");
  const files = ["examples/icons/ok.png", "examples/icons/star.png", "examples/icons/cancel.png",
    "docs/gallery.png", "docs/playground.png"].map((f) => path.join(root, f));
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-png-"));
  try {
    // The same button without a picture, so that a picture that did not show is noticed.
    fs.writeFileSync(path.join(dir, "plain.trace"),
      ["new", "init", "size 30000 15000", "show", 'let Caption ""', "snapshot out.png", ""].join("\n"));
    execFileSync(process.env.BOTON, ["trace", path.join(dir, "plain.trace")]);
    const plain = Buffer.from(decodePng(fs.readFileSync(path.join(dir, "out.png"))).data);
    for (const [i, file] of files.entries()) {
      const script = ["new", "init", "size 30000 15000", "show", 'let Caption ""',
        `let Picture picture file "${file}"`, "snapshot out.png", ""].join("\n");
      fs.writeFileSync(path.join(dir, `${i}.trace`), script);
      execFileSync(process.env.BOTON, ["trace", path.join(dir, `${i}.trace`)]);
      const headless = decodePng(fs.readFileSync(path.join(dir, "out.png")));
      execFileSync(process.execPath, [path.join(root, "host/web/trace/run_trace.mjs"), traceDir,
        path.join(dir, `${i}.trace`)]);
      const web = decodePng(fs.readFileSync(path.join(dir, "out.png")));
      assert.deepEqual([web.width, web.height], [2000, 1000]);
      assert.ok(Buffer.compare(Buffer.from(web.data), Buffer.from(headless.data)) === 0,
        `${file}: the snapshots differ`);
      assert.notEqual(Buffer.compare(Buffer.from(web.data), plain), 0, `${file} did not show`);
    }
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// Damaged pictures: cut short anywhere, or with their compressed data changed (and the chunk's
// checksum made right again, so that the damage reaches the inflater). Every one is refused
// with 380 or, where the damage still decodes, taken; the run goes on to its last line.
test("the browser build's PNG reader refuses damaged files cleanly", async () => {
  // zlib.crc32 is newer than Debian's node.
  const crc32 = (bytes) => {
    let c = ~0;
    for (const b of bytes) {
      c ^= b;
      for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    }
    return ~c >>> 0;
  };
  const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../../..");
  const good = fs.readFileSync(path.join(root, "examples/icons/star.png"));
  const idat = good.indexOf("IDAT") - 4;
  const length = good.readUInt32BE(idat);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-damaged-"));
  let seed = 12345;
  const random = (n) => (seed = (seed * 1103515245 + 12345) % 2147483648) % n;
  try {
    const lines = ["new", "init"];
    const names = [];
    for (let i = 0; i < 60; i++) {
      let bytes;
      if (i < 20) bytes = good.subarray(0, 8 + random(good.length - 8));
      else {
        bytes = Buffer.from(good);
        for (let k = 0; k < 1 + (i % 4); k++) bytes[idat + 8 + random(length)] ^= 1 + random(255);
        bytes.writeUInt32BE(crc32(bytes.subarray(idat + 4, idat + 8 + length)), idat + 8 + length);
      }
      fs.writeFileSync(path.join(dir, `${i}.png`), bytes);
      names.push(`${i}.png`);
      lines.push(`let Picture picture file "${i}.png"`);
    }
    lines.push("get RoundSize", "");
    fs.writeFileSync(path.join(dir, "damaged.trace"), lines.join("\n"));
    const out = execFileSync(process.execPath, [path.join(root, "host/web/trace/run_trace.mjs"), traceDir,
      path.join(dir, "damaged.trace")]).toString().trim().split("\n").map((l) => JSON.parse(l));
    const errors = out.filter((j) => j.error);
    for (const e of errors) {
      assert.equal(e.error.number, 380, JSON.stringify(e));
      assert.match(e.error.description, /^Invalid picture: /);
    }
    // Every cut-short file is refused.
    for (let line = 3; line < 23; line++) assert.ok(errors.some((e) => e.error.line === line), `line ${line}`);
    assert.deepEqual(out.at(-1), { value: 20 });
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// The tarball as a user gets it: installed into a new project, `import "brelund"` in node takes
// the node entry, which finds the core beside itself.
test("npm pack's tarball installs into a fresh folder and loads there", () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-fresh-"));
  try {
    const [packed] = JSON.parse(execFileSync("npm", ["pack", "--json", "--pack-destination", dir], { cwd: pkg }).toString());
    const app = path.join(dir, "app");
    fs.mkdirSync(app);
    fs.writeFileSync(path.join(app, "package.json"), JSON.stringify({ name: "app", private: true, type: "module" }));
    execFileSync("npm", ["install", "--offline", "--no-audit", "--no-fund", "--loglevel=error", path.join(dir, packed.filename)], { cwd: app });
    fs.writeFileSync(path.join(app, "main.mjs"), `import { loadCore, SystemColor } from "brelund";
      const core = await loadCore();
      console.log(JSON.stringify([core.memberNames().length, SystemColor(15)]));`);
    const out = execFileSync(process.execPath, ["main.mjs"], { cwd: app }).toString();
    assert.deepEqual(JSON.parse(out), [16, 0x8000000f]);
    for (const f of ["LICENSE", "README.md", "brelund-core.wasm", "brelund-forms.wasm"])
      assert.ok(fs.existsSync(path.join(app, "node_modules", "brelund", f)), f);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
