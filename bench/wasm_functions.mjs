// Where a WebAssembly module's bytes go: its sections, and the code section by function and by
// the group a function's name puts it in (the library's own code, libc++, libc, embind...).
// Names come from the module's name section: link a copy with --profiling-funcs to get them
// (the shipped module has none). Usage: node wasm_functions.mjs MODULE.wasm [TOP]
import fs from "node:fs";
import zlib from "node:zlib";

function reader(bytes) {
  let at = 0;
  const uleb = () => {
    let v = 0, shift = 0, b;
    do {
      b = bytes[at++];
      v += (b & 0x7f) * 2 ** shift;
      shift += 7;
    } while (b & 0x80);
    return v;
  };
  return {
    uleb,
    get at() { return at; },
    set at(v) { at = v; },
    name() {
      const n = uleb();
      const s = Buffer.from(bytes.subarray(at, at + n)).toString("utf8");
      at += n;
      return s;
    },
  };
}

const SECTIONS = ["custom", "type", "import", "function", "table", "memory", "global", "export", "start", "element", "code", "data", "datacount", "tag"];

// The group a function belongs to, by the namespace or source its demangled-looking name shows.
const GROUPS = [
  [/brelund::web/, "web host (host/web/src)"],
  [/nlohmann::/, "nlohmann-json"],
  [/^stbi/, "stb_image, stb_image_write"],
  [/emscripten::|embind|emval/, "embind"],
  [/brelund::host|brelund::forms|brelund::Canvas|brelund::MaskImage/, "host/common"],
  [/brelund::/, "core (control, render, shape, input)"],
  [/^std::|std::__2|__cxa|__cxx|operator new|operator delete|_Unwind/, "libc++ and its ABI"],
  [/./, "libc and the rest"],
];

export function analyse(file) {
  const bytes = fs.readFileSync(file);
  const r = reader(bytes);
  r.at = 8;
  const sections = [];
  let imported = 0, code = [], names = new Map();
  while (r.at < bytes.length) {
    const id = bytes[r.at];
    r.at += 1;
    const size = r.uleb();
    const start = r.at;
    let label = SECTIONS[id] ?? `#${id}`;
    if (id === 0) label = `custom ${r.name()}`;
    if (id === 2) {
      r.at = start;
      for (let n = r.uleb(); n > 0; n--) {
        r.name();
        r.name();
        const kind = bytes[r.at++];
        if (kind === 0) { imported++; r.uleb(); }
        else if (kind === 1) { r.at++; const f = r.uleb(); r.uleb(); if (f & 1) r.uleb(); }
        else if (kind === 2) { const f = r.uleb(); r.uleb(); if (f & 1) r.uleb(); }
        else if (kind === 3) { r.at += 2; }
        else if (kind === 4) { r.at++; r.uleb(); }
      }
    }
    if (id === 10) {
      r.at = start;
      for (let n = r.uleb(); n > 0; n--) {
        const len = r.uleb();
        code.push({ index: imported + code.length, size: len, body: bytes.subarray(r.at, r.at + len) });
        r.at += len;
      }
    }
    if (label === "custom name") {
      while (r.at < start + size) {
        const sub = bytes[r.at++];
        const len = r.uleb();
        const end = r.at + len;
        if (sub === 1)
          for (let n = r.uleb(); n > 0; n--) {
            const i = r.uleb();
            names.set(i, r.name());
          }
        r.at = end;
      }
    }
    sections.push({ label, size, gzip: zlib.gzipSync(bytes.subarray(start, start + size), { level: 9 }).length });
    r.at = start + size;
  }
  const functions = code.map((f) => ({ index: f.index, name: names.get(f.index) ?? `function ${f.index}`, size: f.size, body: f.body }));
  const groups = new Map();
  for (const f of functions) {
    const group = GROUPS.find(([re]) => re.test(f.name))[1];
    const g = groups.get(group) ?? { size: 0, bodies: [] };
    g.size += f.size;
    g.bodies.push(f.body);
    groups.set(group, g);
  }
  // Each group's bodies compressed alone: a fair idea of its share of the gzipped module.
  const grouped = [...groups].map(([name, g]) => ({ name, size: g.size, gzip: zlib.gzipSync(Buffer.concat(g.bodies), { level: 9 }).length }));
  return { sections, functions, groups: grouped.sort((a, b) => b.size - a.size) };
}

// The functions whose bodies hold a direct call of `index`: found by the call instruction's
// bytes, so a rare false match is possible; a hint for where a function comes from.
export function callers(functions, index) {
  const call = [0x10];
  for (let v = index; ; ) {
    const b = v & 0x7f;
    v >>>= 7;
    if (v === 0) { call.push(b); break; }
    call.push(b | 0x80);
  }
  const needle = Buffer.from(call);
  return functions.filter((f) => Buffer.from(f.body).includes(needle)).map((f) => f.name);
}

const file = process.argv[2];
if (file && process.argv[3] === "--callers") {
  const { functions } = analyse(file);
  for (const name of process.argv.slice(4)) {
    const f = functions.find((g) => g.name === name);
    console.log(`${name}:`);
    for (const c of f ? callers(functions, f.index) : ["(no such function)"]) console.log(`  ${c.slice(0, 160)}`);
  }
} else if (file) {
  const top = Number(process.argv[3] ?? 40);
  const { sections, functions, groups } = analyse(file);
  const KB = (n) => (n / 1024).toFixed(1).padStart(7);
  console.log(`${"section".padEnd(38)}    KB  gzip KB`);
  for (const s of sections) console.log(`  ${s.label.padEnd(36)} ${KB(s.size)} ${KB(s.gzip)}`);
  console.log(`\n${"code by group".padEnd(38)}    KB  gzip KB (alone)`);
  for (const g of groups) console.log(`  ${g.name.padEnd(36)} ${KB(g.size)} ${KB(g.gzip)}`);
  console.log(`\nlargest ${top} functions (bytes)`);
  for (const f of [...functions].sort((a, b) => b.size - a.size).slice(0, top))
    console.log(`  ${String(f.size).padStart(6)}  ${f.name.slice(0, 150)}`);
}
