// Brelund's button in a web page: `import { Boton } from "brelund"`.
//
//   const button = await Boton.create(document.querySelector("#ok"), { width: 81, height: 33 });
//   button.set("Caption", "Aceptar");
//   button.element.addEventListener("Click", () => ...);
//   const entry = await button.save();   // the form file's entry, properties as a save writes them
//   await button.load(entry);
//
// The control itself (drawing, shape, layout, input rules, saved set) is the library's
// WebAssembly core; this module only turns the page's input into its steps and shows what it
// draws (see dom.mjs). Saving and loading form entries (their JSON, pictures as PNG) is a
// second module, fetched on the first save or load: most pages never save a button, and that
// code would be most of what they download.
import createBrelundCore from "./brelund-core.mjs";
import { SETUP, View } from "./dom.mjs";
import { defineElement } from "./element.mjs";

let core, forms, formsModule, where = {};

// How a module's bytes are read: fetched by default; node's entry reads the file instead.
let readBytes = (url, besideModule) => fetchCore(url, besideModule);
export function _readWith(read) {
  readBytes = read;
}

// The WebAssembly core, loaded once. By default it is the file beside this module: written this
// way, bundlers (webpack, Vite, Parcel) see the file and ship it with the page. `options.locateFile
// (name)` may say where it is served from instead (for the forms module's brelund-forms.wasm
// too); `options.wasmBinary` may give its bytes.
export function loadCore(options = {}) {
  if (core) return core;
  if (options.locateFile) where = { locateFile: options.locateFile };
  core = (async () => {
    const url = options.locateFile
      ? options.locateFile("brelund-core.wasm")
      : new URL("./brelund-core.wasm", import.meta.url).href;
    const wasmBinary = options.wasmBinary ?? (await readBytes(String(url), !options.locateFile));
    return createBrelundCore({ wasmBinary });
  })();
  // A failed load may be tried again (the page may fix the address or the server).
  core.catch(() => (core = undefined));
  return core;
}

// The forms module (form entries to and from their JSON), loaded once, on the first save or
// load; found as the core is, beside this module or where locateFile says.
function loadForms() {
  if (forms) return forms;
  forms = (async () => {
    const url = where.locateFile
      ? where.locateFile("brelund-forms.wasm")
      : new URL("./brelund-forms.wasm", import.meta.url).href;
    const [{ default: create }, wasmBinary] = await Promise.all([
      import("./brelund-forms.mjs"), readBytes(String(url), !where.locateFile)]);
    formsModule = await create({ wasmBinary });
    return formsModule;
  })();
  forms.catch(() => (forms = undefined));
  return forms;
}

// Vite's dev server runs a dependency from a copy in its cache (node_modules/.vite/deps) and
// leaves the files beside it behind; the package's own folder sits next to that cache.
const VITE_CACHE = /\/node_modules\/\.vite\/deps\/[^/?#]*([?#].*)?$/;

// A module's bytes, or one error that names the address and what came back instead.
async function fetchCore(url, besideModule = false) {
  if (besideModule && VITE_CACHE.test(import.meta.url)) {
    const file = url.replace(/[?#].*$/, "").replace(/^.*\//, "");
    const own = import.meta.url.replace(VITE_CACHE, `/node_modules/brelund/${file}`);
    return fetchCore(url).catch((first) =>
      fetchCore(own).catch(() => {
        throw new Error(`${first.message} (nor from ${own})`);
      }));
  }
  const failed = (why) => new Error(`Brelund: cannot load the WebAssembly core from ${url}: ${why}`);
  let response;
  try {
    response = await fetch(url);
  } catch (e) {
    throw failed(e.message);
  }
  if (!response.ok) throw failed(`HTTP ${response.status} ${response.statusText}`.trim());
  const bytes = new Uint8Array(await response.arrayBuffer());
  // A server that does not know the file often answers with a page (a 404 page or the app's
  // index.html) and status 200: the bytes say what it is, whatever the MIME type claims.
  if (bytes.length < 8 || bytes[0] !== 0 || bytes[1] !== 0x61 || bytes[2] !== 0x73 || bytes[3] !== 0x6d) {
    const type = response.headers.get("content-type") || "no type";
    throw failed(`the server sent ${bytes.length} bytes of ${type}, not WebAssembly`);
  }
  return bytes;
}

// The eight events and their by-reference arguments, in the control's order.
export const EVENTS = Object.freeze({
  Click: [],
  KeyDown: ["KeyCode", "Shift"],
  KeyPress: ["KeyAscii"],
  KeyUp: ["KeyCode", "Shift"],
  MouseDown: ["Button", "Shift", "X", "Y"],
  MouseMove: ["Button", "Shift", "X", "Y"],
  MouseUp: ["Button", "Shift", "X", "Y"],
  Resize: [],
});

const EXTENDER = { default: "default", cancel: "cancel" };

// A failed step: `number` and `description` as the control reports them (380 "Invalid property
// value", 438 "Object doesn't support this property or method", ...).
// The core's members, read once: a method without a value is a function, the rest properties.
const memberLists = new WeakMap();
function membersOf(module) {
  let lists = memberLists.get(module);
  if (!lists) {
    const table = module.memberTable();
    lists = { names: table.map((m) => m.name),
      methods: new Set(table.filter((m) => m.method && !m.value).map((m) => m.name)) };
    memberLists.set(module, lists);
    // Every member is also a property of the buttons, defined once: button.Caption = "Aceptar",
    // button.Refresh() (a method is the button's own function, made when first read).
    for (const name of lists.names) {
      if (Object.hasOwn(Boton.prototype, name)) continue;
      const member = lists.methods.has(name)
        ? { get() {
          const fn = () => this.call(name);
          Object.defineProperty(this, name, { value: fn });
          return fn;
        } }
        : { get() { return this.get(name); }, set(v) { this.set(name, v); }, enumerable: true };
      Object.defineProperty(Boton.prototype, name, { ...member, configurable: true });
    }
  }
  return lists;
}

export class BotonError extends Error {
  constructor(status) {
    super(status.description || `error ${status.number}`);
    this.name = "BotonError";
    this.number = status.number;
  }
}

// A saved entry as an object: as given, or read from its JSON text.
function entryObject(entry) {
  const object = typeof entry === "string" ? JSON.parse(entry) : entry;
  if (object === null || typeof object !== "object" || Array.isArray(object))
    throw new TypeError("Boton: a saved entry is an object");
  return object;
}

// System colours as the control takes them: 0x80000000 + index (the button face is
// SystemColor(15)).
export const SystemColor = (index) => 0x80000000 + index;

export class Boton {
  // Creates a button on `element` (any element: it becomes the control's window, focusable and
  // shaped). `options`: width and height in pixels, `entry` (a saved form entry to load: the
  // forms module is loaded first), `default`/`cancel` (the Enter and Escape button of its form).
  static async create(element, options = {}) {
    const [module] = await Promise.all([loadCore(options), options.entry && loadForms()]);
    return new Boton(module, element, options);
  }

  constructor(module, element, options = {}) {
    if (typeof Element === "undefined" || !(element instanceof Element))
      throw new TypeError("Boton: an element to create the button on is needed");
    if (element.boton) throw new Error("Boton: the element already holds a button");
    this.element = element;
    this.members = [...membersOf(module).names];
    this.#view = new View(this, element, module, { sizedByCss: Boolean(options.sizedByCss) });
    this.#page = new module.Page(
      (name, args) => this.#raise(name, args),
      (font, text) => this.#view.measure(font, text),
    );
    element.boton = this;
    this.#view.attach();
    this.#default = Boolean(options.default);
    this.#cancel = Boolean(options.cancel);
    this.#page.setExtender(this.#default ? 1 : 0, this.#cancel ? 1 : 0);
    // Shown once, as made.
    this.#view.held = true;
    try {
      this.#step((p) => p.init());
      this.#step((p) => p.resize(options.width ?? 81, options.height ?? 33));
      if (options.entry) {
        if (!formsModule) throw new Error("Boton: an entry to create from needs the forms module: use Boton.create");
        this.#loadWith(formsModule, options.entry);
      }
      options[SETUP]?.(this);
      this.#page.setRatio(this.#view.scaleOf(this.#page));
      this.#step((p) => p.show());
    } finally {
      this.#view.held = false;
    }
    this.#view.sync();
  }

  // Every member by its published name (any case, as the control's property pages take them);
  // Default and Cancel, the extender's, too.
  get(name) {
    const extender = EXTENDER[String(name).toLowerCase()];
    if (extender) return this[extender];
    const r = this.#live().get(String(name));
    this.#view.sync();
    this.#check(r.status);
    return r.value;
  }
  set(name, value) {
    const extender = EXTENDER[String(name).toLowerCase()];
    if (extender) this[extender] = value;
    else this.#step((p) => p.let(String(name), this.#view.pictureOf(value)));
  }
  // A method: Refresh, CreaNuevaRegion.
  call(name) {
    return this.get(name);
  }

  // The form file's entry for this button: {Name, Left, Top, Width, Height, Default, Cancel,
  // Properties}, pictures inline as base64 PNG; JSON.stringify it for the text. A promise: the
  // forms module is loaded on the first save or load. The entry is the button as it was when
  // save() was called.
  async save() {
    const entry = this._snapshot();
    return this.#formOf(await loadForms(), entry);
  }
  // An entry as save() gives it (an object or its JSON text). The extent, Default and Cancel
  // it leaves out keep their values; its Properties are the whole saved set, as in a form file
  // (a property it leaves out has its default value, as save() leaves default values out). The
  // whole entry is read and checked before the button sees any of it; a value the button refuses
  // rejects the promise with an error naming the key, and leaves the button as it was.
  async load(entry) {
    const object = entryObject(entry);
    this.#loadWith(await loadForms(), object);
  }
  #formOf(module, entry) {
    const r = module.formOf(entry);
    this.#check(r.status);
    return JSON.parse(r.form).Controls[0];
  }
  #loadWith(module, entry) {
    const object = entryObject(entry);
    const before = this._snapshot();
    const merged = { ...this.#formOf(module, before), Properties: {}, ...object };
    const r = module.entryOf(JSON.stringify({ Controls: [{ Name: "Boton1", ...merged }] }));
    this.#check(r.status);
    this._restore(r.entry, before);
  }

  // The button's saved set, extent and extender's keys as the core hands them over (pictures
  // as pixels), without the forms module: what the element keeps while it is out of the page.
  _snapshot() {
    const r = this.#live().saveEntry();
    this.#check(r.status);
    return r.entry;
  }
  // Applies a snapshot (or the forms module's reading of an entry); one that fails is undone
  // by applying `before`, the button's snapshot from before it.
  _restore(entry, before = this._snapshot()) {
    try {
      this.#apply(entry);
    } catch (error) {
      if (!this.destroyed) this.#apply(before);
      throw error;
    }
  }
  #apply(entry) {
    this.#step((p) => p.loadEntry(entry));
    // What the entry leaves out of the extender's keys stays, as in the core.
    if (entry.default !== undefined) this.#default = Boolean(entry.default);
    if (entry.cancel !== undefined) this.#cancel = Boolean(entry.cancel);
  }

  // The extender's Default and Cancel: Enter anywhere in the button's form works the default
  // button, Escape the cancel button.
  get default() {
    return this.#default;
  }
  set default(on) {
    this.#default = Boolean(on);
    this.#live().setExtender(this.#default ? 1 : 0, this.#cancel ? 1 : 0);
  }
  get cancel() {
    return this.#cancel;
  }
  set cancel(on) {
    this.#cancel = Boolean(on);
    this.#live().setExtender(this.#default ? 1 : 0, this.#cancel ? 1 : 0);
  }

  resize(width, height) {
    this.#step((p) => p.resize(width, height));
  }
  // The platform's system colour `index` (0 to 255) as RGB (0xBBGGRR, red in the low byte);
  // the button draws with it from its next paint on.
  setSystemColor(index, rgb) {
    this.#check(this.#live().setSysColor(index, rgb));
  }
  // The container's font, for a button whose saved set has none.
  setAmbientFont(font) {
    this.#live().setAmbientFont(font);
  }

  get destroyed() {
    return this.#page === null;
  }
  // Removes the button; allowed inside its own event listeners.
  destroy() {
    if (!this.#page) return;
    this.#view.detach();
    const page = this.#page;
    this.#page = null;
    delete this.element.boton;
    page.delete();
  }

  // Clicks the button as a script or the page asks (el.click(), a <label>): Click, and the
  // page's `click`, as when the user clicks it; nothing on a disabled button.
  click() {
    this.#live();
    this.#view.activate();
  }

  // The view's side: the host steps, run and shown.
  _step(fn) {
    return this.#step(fn);
  }
  _page() {
    return this.#page;
  }

  #page;
  #view;
  #default = false;
  #cancel = false;

  #live() {
    if (!this.#page) throw new Error("Boton: the button was destroyed");
    return this.#page;
  }
  // One host step; what it changed is shown at once. A step that ended because a listener
  // destroyed the button returns false.
  #step(fn) {
    const status = fn(this.#live());
    if (status.gone || !this.#page) return false;
    this.#view.sync();
    this.#check(status);
    return true;
  }
  #check(status) {
    if (status && status.number) throw new BotonError(status);
  }
  #raise(name, args) {
    if (name === "PropertyChanged") {
      this.element.dispatchEvent(new CustomEvent("PropertyChanged", { detail: { name: args } }));
      return;
    }
    const names = EVENTS[name] ?? [];
    const detail = {};
    names.forEach((n, i) => (detail[n] = args[i]));
    // What the page shows is brought up to date first: a listener may look at the button.
    this.#view.sync();
    this.element.dispatchEvent(new CustomEvent(name, { detail, bubbles: true }));
    names.forEach((n, i) => (args[i] = detail[n]));
    // The page's own `click` follows the control's Click, and the element's default action
    // (a form's submission) follows that unless a listener cancelled it.
    if (name === "Click" && this.#page && this.#view.clicked() && this.#page) this._clickedHook?.();
  }
}

defineElement(Boton, loadCore);
