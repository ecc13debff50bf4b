// Pictures in form entries between the browser build (stb_image, stb_image_write) and the desktop
// hosts (libpng, through `boton resave`): the two compress differently, so a picture crosses pixel
// for pixel, not byte for byte; interlaced PNGs load on both; the page's saves are compressed.
// Environment: BRELUND_WEB_PACKAGE (the npm package folder), BOTON (the headless CLI).
import { test, before } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";
import { pathToFileURL } from "node:url";

const pkg = process.env.BRELUND_WEB_PACKAGE;
const boton = process.env.BOTON;
let core, forms;

before(async () => {
  const { loadCore } = await import(pathToFileURL(path.join(pkg, "brelund-node.mjs")).href);
  core = await loadCore();
  // The forms module, which the page's module loads on a button's first save or load.
  const { default: createForms } = await import(pathToFileURL(path.join(pkg, "brelund-forms.mjs")).href);
  forms = await createForms({ wasmBinary: fs.readFileSync(path.join(pkg, "brelund-forms.wasm")) });
});

// A picture with every kind of pixel: opaque, clear, half-transparent, and colours that differ
// in every channel, so that a swapped or dropped channel shows.
function pattern(width, height) {
  const data = new Uint8ClampedArray(width * height * 4);
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const i = (y * width + x) * 4;
      data.set([(x * 37) & 255, (y * 53) & 255, (x * y * 7) & 255, [255, 0, 128, 200][(x + y) % 4]], i);
    }
  return { width, height, data };
}

function page() {
  const p = new core.Page(() => {}, null);
  assert.equal(p.init().number, 0);
  return p;
}
// A save and a load as the page's module makes them: the page's core hands the saved set over
// to the forms module, which writes the form file's text, and back.
function save(p) {
  const r = p.saveEntry();
  if (r.status.number) return r;
  return forms.formOf(r.entry);
}
function load(p, text) {
  const r = forms.entryOf(text);
  return r.status.number ? r.status : p.loadEntry(r.entry);
}
function pictureOf(p) {
  const r = p.get("Picture");
  assert.equal(r.status.number, 0, r.status.description);
  return r.value;
}
function samePixels(actual, expected) {
  assert.deepEqual([actual.width, actual.height], [expected.width, expected.height]);
  // A clear pixel keeps no colour on either host: only its alpha is compared.
  const a = Buffer.from(actual.data), e = Buffer.from(expected.data);
  for (let i = 0; i < e.length; i += 4) {
    if (e[i + 3] === 0) assert.equal(a[i + 3], 0, `pixel ${i / 4}`);
    else assert.deepEqual([...a.subarray(i, i + 4)], [...e.subarray(i, i + 4)], `pixel ${i / 4}`);
  }
}

// PNG chunks of the given bytes, with their checksums (zlib.crc32 is newer than Debian's node).
function crc32(bytes) {
  let c = ~0;
  for (const b of bytes) {
    c ^= b;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  }
  return ~c >>> 0;
}
function chunk(type, data) {
  const body = Buffer.concat([Buffer.from(type, "latin1"), data]);
  const out = Buffer.alloc(body.length + 8);
  out.writeUInt32BE(data.length, 0);
  body.copy(out, 4);
  out.writeUInt32BE(crc32(body), body.length + 4);
  return out;
}
// An RGBA PNG in Adam7 order (seven reduced images, each row with filter type 0), or with 16
// bits a sample in plain order: each sample's high byte is the picture's, its low byte noise
// that both readers must drop.
function encodePng({ width, height, data }, { interlaced = true, bits = 8 } = {}) {
  const passes = interlaced ? [[0, 0, 8, 8], [4, 0, 8, 8], [0, 4, 4, 8], [2, 0, 4, 4], [0, 2, 2, 4], [1, 0, 2, 2], [0, 1, 1, 2]]
    : [[0, 0, 1, 1]];
  const rows = [];
  for (const [x0, y0, dx, dy] of passes) {
    if (x0 >= width || y0 >= height) continue;
    for (let y = y0; y < height; y += dy) {
      const row = [0];
      for (let x = x0; x < width; x += dx)
        for (const v of data.subarray((y * width + x) * 4, (y * width + x) * 4 + 4)) row.push(...(bits === 16 ? [v, 255 - v] : [v]));
      rows.push(Buffer.from(row));
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([bits, 6, 0, 0, interlaced ? 1 : 0], 8);
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk("IHDR", header),
    chunk("IDAT", zlib.deflateSync(Buffer.concat(rows))), chunk("IEND", Buffer.alloc(0))]);
}

const entryText = (properties) => JSON.stringify({ Controls: [{ Name: "Boton1", Width: 1200, Height: 500, Properties: properties }] });
const pngOf = (formText) => Buffer.from(JSON.parse(formText).Controls[0].Properties.Picture.png, "base64");

// The desktop host's reading and writing of a form: libpng decodes and encodes every picture.
function desktopResave(formText) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "brelund-pictures-"));
  try {
    fs.writeFileSync(path.join(dir, "in.json"), formText);
    execFileSync(boton, ["resave", path.join(dir, "in.json"), "-o", path.join(dir, "out.json")]);
    return fs.readFileSync(path.join(dir, "out.json"), "utf8");
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

test("a picture saved by the page is compressed and reads back pixel for pixel there and on the desktop", () => {
  const picture = pattern(64, 48);
  const p = page();
  assert.equal(p.let("Picture", picture).number, 0);
  const saved = save(p);
  assert.equal(saved.status.number, 0, saved.status.description);
  const png = pngOf(saved.form);
  // The same pixels stored (level 0) would take width x height x 4 bytes and more.
  assert.ok(png.length < 64 * 48 * 4 / 2, `${png.length} bytes`);

  const again = page();
  assert.equal(load(again, saved.form).number, 0);
  samePixels(pictureOf(again), picture);

  if (!boton || !fs.existsSync(boton)) return;  // the desktop half needs the headless CLI
  const desktop = desktopResave(saved.form);
  const fromDesktop = page();
  assert.equal(load(fromDesktop, desktop).number, 0);
  samePixels(pictureOf(fromDesktop), picture);
  // And the page saves what the desktop saved as the same pixels again (not the same bytes:
  // libpng and stb_image_write choose their own filters and deflate).
  const resaved = save(fromDesktop);
  const back = page();
  assert.equal(load(back, resaved.form).number, 0);
  samePixels(pictureOf(back), picture);
});

// Not a multiple of 8: every Adam7 pass has its own size. A 16-bit PNG loads as its high bytes,
// as libpng strips it on the desktop.
for (const [what, picture, options] of [
  ["an interlaced PNG", pattern(13, 11), {}],
  ["a 16-bit PNG", pattern(9, 7), { interlaced: false, bits: 16 }],
]) {
  test(`${what} loads in the page as on the desktop`, () => {
    const form = entryText({ Picture: { png: encodePng(picture, options).toString("base64") } });
    const p = page();
    const status = load(p, form);
    assert.equal(status.number, 0, status.description);
    samePixels(pictureOf(p), picture);

    if (!boton || !fs.existsSync(boton)) return;
    const desktop = page();
    assert.equal(load(desktop, desktopResave(form)).number, 0);
    samePixels(pictureOf(desktop), picture);
  });
}

test("a PNG too large or not a PNG is refused with 380 and the reason, before any pixel is decoded", () => {
  const p = page();
  const big = encodePng(pattern(1, 1));
  big.writeUInt32BE(5000, 16);  // 5000 x 5000 pixels: more than the limit
  big.writeUInt32BE(5000, 20);
  big.writeUInt32BE(crc32(big.subarray(12, 29)), 29);
  let s = load(p, entryText({ Picture: { png: big.toString("base64") } }));
  assert.equal(s.number, 380);
  assert.match(s.description, /Invalid picture: image of 5000 x 5000 pixels is larger than the limit/);
  s = load(p, entryText({ Picture: { png: Buffer.from("GIF89a not a png").toString("base64") } }));
  assert.equal(s.number, 380);
  assert.match(s.description, /Invalid picture: not a PNG image/);
  // A page reads no files: a picture named by path says so.
  s = load(p, entryText({ Picture: { file: "ok.png" } }));
  assert.equal(s.number, 380);
  assert.match(s.description, /a page has no files; give the picture inline/);
});

test("a caption with control characters and astral letters survives the page's save and load", () => {
  const p = page();
  const caption = "a\u0001b\u001f \u{1F600} \u00e9";
  assert.equal(p.let("Caption", caption).number, 0);
  const saved = save(p);
  assert.equal(saved.status.number, 0);
  const again = page();
  assert.equal(load(again, saved.form).number, 0, "the page's own save loads");
  assert.equal(again.get("Caption").value, caption);
  assert.equal(load(again, JSON.stringify(JSON.parse(saved.form))).number, 0, "as JSON.stringify writes it");
  assert.equal(again.get("Caption").value, caption);
});
