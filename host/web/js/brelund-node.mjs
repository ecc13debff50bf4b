// The package in node (package.json's "node" condition): the same module, with the core's and
// the forms module's bytes read from the files beside it, where the page's entry would fetch()
// them. Buttons need a document (jsdom, happy-dom).
import { readFile } from "node:fs/promises";
import { fileURLToPath } from "node:url";
import { _readWith } from "./brelund.mjs";

export { Boton, BotonError, EVENTS, SystemColor, loadCore } from "./brelund.mjs";

_readWith(async (where) => new Uint8Array(await readFile(where.startsWith("file:") ? fileURLToPath(where) : where)));
