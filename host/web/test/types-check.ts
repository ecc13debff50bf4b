// Compiled by `tsc --strict` in the tests (web.types): what the module's types allow and refuse.
import { Boton } from "../js/brelund";

export async function use(host: HTMLElement): Promise<number> {
  const b = await Boton.create(host, { width: 81, height: 33 });
  b.set("Caption", "&Guardar");
  b.set("RoundSize", 12);
  b.set("Picture", document.createElement("canvas"));
  const size: number = b.get("RoundSize");
  const caption: string = b.get("Caption");
  // @ts-expect-error a number, not text
  b.set("RoundSize", "big");
  // @ts-expect-error no such member
  b.set("Captionn", "x");
  // @ts-expect-error read-only
  b.set("BackColorOriginal", 1);
  b.element.addEventListener("KeyDown", (e) => (e.detail.KeyCode = 0));
  b.element.addEventListener("BotonError", (e) => e.detail.number);
  // Saving and loading are promises (the forms module comes on first use).
  const entry = await b.save();
  await b.load(entry);
  await b.load(JSON.stringify(entry));
  // @ts-expect-error a promise, not the entry
  b.save().Properties;

  const el = document.createElement("brelund-boton");
  el.caption = "&Sí";
  el.type = "reset";
  // @ts-expect-error not a button type
  el.type = "menu";
  el.addEventListener("Click", (e) => e.detail);
  el.addEventListener("MouseDown", (e) => e.detail.X + e.detail.Y);
  el.addEventListener("click", (e) => e.clientX);
  const found = document.querySelector("brelund-boton");
  found?.set("Light", 50);
  const saved = await el.save();
  await el.load(saved);
  return size + caption.length + (el.boton?.get("Light") ?? 0);
}
