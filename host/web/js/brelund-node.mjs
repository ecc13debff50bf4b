// The package in node (package.json's "node" condition): the same module, with the core's bytes
// read from the file beside it, where the page's entry would fetch() them.
import { readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { loadCore as loadFrom, Boton as PageBoton } from "./brelund.mjs";

export { BotonError, EVENTS, SystemColor } from "./brelund.mjs";

export function loadCore(options = {}) {
  if (options.wasmBinary) return loadFrom(options);
  const where = options.locateFile?.("brelund-core.wasm") ?? new URL("./brelund-core.wasm", import.meta.url);
  const file = String(where).startsWith("file:") ? fileURLToPath(where) : String(where);
  return loadFrom({ wasmBinary: readFileSync(file) });
}

// Buttons need a document (jsdom, happy-dom); the core comes from the file.
export class Boton extends PageBoton {
  static async create(element, options = {}) {
    await loadCore(options);
    return super.create(element, options);
  }
}
