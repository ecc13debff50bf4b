// The page's side of a button: its element shows the retained face in a <canvas>, shaped by a
// clip-path that the browser also hit-tests (a click in a cut-away corner goes to the element
// behind), the picture and the caption over it; DOM input becomes the control's steps.

// An option of Boton's: sets the button up before it is first shown.
export const SETUP = Symbol("brelund.setup");

// What the core reports as changed (host/web/src/host_objects.h).
const FACE = 1, CAPTION = 2, PICTURE = 4, TIMER = 8, ENABLED = 16, POINTER = 32, TIP = 64;
const DOWN = 0, MOVE = 1, UP = 2;

// The pointer shapes of the automation world, as CSS cursors (99, a custom icon, shows the
// default arrow: a page has no icon format for it).
const CURSORS = ["", "default", "crosshair", "text", "default", "move", "nesw-resize",
  "ns-resize", "nwse-resize", "ew-resize", "n-resize", "wait", "no-drop", "progress", "help",
  "move"];

// The caption's sizes, by font and text: alike buttons measure once.
let measureContext, measureFont;
const measured = new Map();

// The element's own look, at zero specificity (:where) so that every rule of the page wins over
// it: position, display, size and outline stay the author's. The shape clips the face and is
// what the pointer hits; the element itself is not hit, so its corners let clicks through while
// its outline (an author's :focus-visible ring) is drawn outside the shape, unclipped.
const SHEET = `
:where([data-boton]) { position: relative; display: inline-block; vertical-align: top;
  padding: 0; border: 0; user-select: none; -webkit-user-select: none; touch-action: none;
  pointer-events: none; }
:where(brelund-boton) { display: inline-block; vertical-align: top; width: 81px; height: 33px; }
:where([data-boton]:focus-visible) { outline: 2px solid Highlight; outline-offset: 1px; }
:where([data-boton]) > [data-boton-shape] { position: absolute; inset: 0; overflow: hidden;
  pointer-events: auto; }
:where([data-boton]) > [data-boton-shape] > * { position: absolute; left: 0; top: 0;
  pointer-events: none; }
:where([data-boton]) [data-boton-caption] > div { text-align: center; }
@media (forced-colors: active) {
  :where([data-boton]) [data-boton-caption] { color: ButtonText !important; }
  :where([data-boton][aria-disabled="true"]) [data-boton-caption] { color: GrayText !important; }
  :where([data-boton]) { forced-color-adjust: none; }
}`;
// Each document's sheet, looked for once rather than per button.
const sheets = new WeakMap();
export function addSheet(doc) {
  if (sheets.get(doc)?.isConnected) return;
  const found = doc.querySelector("style[data-boton-sheet]");
  if (found) return void sheets.set(doc, found);
  const style = doc.createElement("style");
  style.dataset.botonSheet = "";
  style.textContent = SHEET;
  doc.head.prepend(style);
  sheets.set(doc, style);
}

// The page's CSS for a control font. Points are the CSS unit of the same name (96 pixels to
// the inch, as twips are 1440 to the inch): an 8.25-point caption is 11 pixels high.
export function cssFont(font) {
  const weight = Math.max(1, Math.min(1000, font.Weight || (font.Bold ? 700 : 400)));
  const name = String(font.Name).replace(/["\\]/g, "");
  return `${font.Italic ? "italic " : ""}${weight} ${font.Size}pt "${name}", sans-serif`;
}

// The core hands out one object per font: its CSS is worked out once.
const fontTexts = new WeakMap();
function fontText(font) {
  let css = fontTexts.get(font);
  if (css === undefined) fontTexts.set(font, (css = cssFont(font)));
  return css;
}

// A caption's lines by the rule every host shares, once per text; only read.
const captionLineCache = new Map();
function linesOf(text) {
  let lines = captionLineCache.get(text);
  if (!lines) {
    if (captionLineCache.size >= 256) captionLineCache.clear();
    captionLineCache.set(text, (lines = coreModule.captionLines(text)));
  }
  return lines;
}

function cssColor(rgb) {
  return `rgb(${rgb & 0xff}, ${(rgb >> 8) & 0xff}, ${(rgb >> 16) & 0xff})`;
}

function shiftOf(e) {
  return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
}

// DOM buttons 0, 1, 2 (main, middle, secondary) as the control's 1, 4, 2.
const BUTTON = [1, 4, 2];

// Keys that type a character the control hears as KeyPress.
function asciiOf(e) {
  if (e.key === "Enter") return 13;
  if (e.key === "Escape") return 27;
  if (e.key === "Backspace") return 8;
  if (e.key.length === 1 && !e.ctrlKey && !e.altKey) {
    const c = e.key.charCodeAt(0);
    return c <= 255 ? c : null;
  }
  return null;
}

function plainKey(e) {
  return !e.shiftKey && !e.ctrlKey && !e.altKey && !e.metaKey && !e.repeat;
}

// The buttons of the form `from` is in (its <form>, or the page outside every form), shown, in
// order: a key in one form never reaches another form's buttons.
function buttonsOf(from) {
  const form = formOf(from);
  return [...document.querySelectorAll("[data-boton]")].filter(
    (el) => el.boton && !el.boton.destroyed && el.getClientRects().length > 0 && formOf(el) === form,
  );
}
// The form an element belongs to: a field's or a <brelund-boton>'s own (which a form="" attribute
// may name), else the <form> around it.
function formOf(el) {
  if (!el) return null;
  return "form" in el ? el.form : el.closest("form");
}

// Which button of the form Enter or Escape at `from` presses, by the rule every host shares
// (host/common/form_keys.h, through the core): {button, own, taken}. `own` when it is the
// focused button itself, which steps the key as its own; `taken` when the key is the form's and
// goes no further, pressed or not (a disabled default button).
let coreModule = null;
function formTarget(e, from) {
  if (!coreModule || (e.key !== "Enter" && e.key !== "Escape")) return null;
  const buttons = buttonsOf(from);
  const focused = buttons.indexOf(from);
  const flags = buttons.map((el) => ({
    default: Boolean(el.boton.default),
    cancel: Boolean(el.boton.cancel),
    enabled: Boolean(el.boton._page()?.enabled()),
  }));
  const t = coreModule.formKeyTarget(e.key === "Enter", flags, focused);
  const button = t.presses >= 0 ? buttons[t.presses].boton : null;
  return { button, own: t.presses >= 0 && t.presses === focused, taken: !t.goesOn };
}

// Enter and Escape that reach the page (no focused button took them as its own) go to the
// form's default or cancel button, as the control's access key, and not to the page (no form
// submission).
function windowKey(e) {
  if (!e.defaultPrevented && accessKey(e)) return;
  if (e.defaultPrevented || !plainKey(e)) return;
  // A focused element that acts on Enter itself keeps it.
  const t = e.target;
  if (e.key === "Enter" && t instanceof Element && t.matches("textarea, button, select, a[href], [contenteditable]"))
    return;
  const target = formTarget(e, t instanceof Element ? t : null);
  if (!target || !target.taken || target.own) return;
  e.preventDefault();
  if (!target.button) return;
  const code = e.key === "Enter" ? 13 : 27;
  target.button._step((p) => p.accessKey(code));
}

// Alt and a caption's marked letter, or the letter of the element's own `accesskey`, click that
// button (the first shown and enabled one, in the page's order), wherever the focus is.
function accessKey(e) {
  if (!e.altKey || e.ctrlKey || e.metaKey || e.repeat || e.key.length !== 1) return false;
  const key = e.key.toLowerCase();
  for (const el of document.querySelectorAll("[data-boton]")) {
    const view = views.get(el);
    if (!view || el.getClientRects().length === 0) continue;
    if (view.accessKey !== key && (el.getAttribute("accesskey") ?? "").toLowerCase() !== key) continue;
    if (!view.button._page()?.enabled()) continue;
    e.preventDefault();
    view.activate();
    return true;
  }
  return false;
}

// All buttons' input comes through one set of listeners on their document (and shadow root,
// which a closed one hides), in capture: the innermost button on an event's path hears it, once.
const views = new Map();  // element -> View
const roots = new Map();  // Document or ShadowRoot -> its buttons
const seen = new WeakMap();  // Event -> the view it reached
const SHARED = {
  pointerover: pointerOver,
  pointerout: pointerOut,
  pointerdown: (e) => viewOf(e)?.pointer(DOWN, e),
  pointerup: (e) => viewOf(e)?.pointer(UP, e),
  keydown: (e) => viewOf(e)?.key(e, true),
  keyup: (e) => viewOf(e)?.key(e, false),
  focus: (e) => viewOf(e, 1)?.focused(true),
  blur: (e) => viewOf(e, 1)?.focused(false),
  contextmenu: (e) => viewOf(e) && e.preventDefault(),
  click: (e) => viewOf(e)?.click(e),
};
const CAPTURE = { capture: true };

function viewOf(e, targetOnly) {
  const path = e.composedPath();
  const view = (targetOnly ? path.slice(0, 1) : path).map((node) => views.get(node)).find(Boolean);
  if (!view || seen.get(e) === view) return null;
  seen.set(e, view);
  return view;
}

// The pointer, for the hover test: followed only over (or held by) a button; else it costs nothing.
const hovered = new Set();
function pointerOver(e) {
  const view = viewOf(e);
  if (!view || hovered.has(view)) return;
  if (!hovered.size) for (const root of roots.keys()) root.addEventListener("pointermove", pointerMoved, CAPTURE);
  hovered.add(view);
}
function pointerMoved(e) {
  const view = viewOf(e);
  for (const v of hovered) v.pointerAt(e.clientX, e.clientY);
  view?.pointer(MOVE, e);
}
// Out of a button (pressed, from its shape into the element is still in): where it went, once.
function pointerOut(e) {
  const view = viewOf(e);
  const to = e.relatedTarget;
  if (!view || (to instanceof Node && view.element.contains(to))) return;
  if (to) view.pointerAt(e.clientX, e.clientY);
  else view.pointerAway();
  unhover(view);
}
function unhover(view) {
  if (!hovered.delete(view) || hovered.size) return;
  for (const root of roots.keys()) root.removeEventListener("pointermove", pointerMoved, CAPTURE);
}

function rootOf(el) {
  const root = el.getRootNode();
  return root instanceof Document || root instanceof ShadowRoot ? root : el.ownerDocument;
}
function listen(root, by) {
  const n = (roots.get(root) ?? 0) + by;
  if (n) roots.set(root, n);
  else roots.delete(root);
  if (n !== (by > 0 ? 1 : 0)) return;
  const method = by > 0 ? "addEventListener" : "removeEventListener";
  for (const [name, fn] of Object.entries(SHARED)) root[method](name, fn, CAPTURE);
  if (hovered.size || by < 0) root[method]("pointermove", pointerMoved, CAPTURE);
}

// A new device pixel ratio: the media query of the old one stops matching (and a zoom also
// resizes the window in CSS pixels).
let ratioQuery = null;
function ratioCheck() {
  for (const view of views.values()) view.ratioCheck();
}
function watchRatio() {
  ratioQuery?.removeEventListener("change", ratioChanged);
  ratioQuery = views.size ? matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`) : null;
  ratioQuery?.addEventListener("change", ratioChanged);
}
function ratioChanged() {
  watchRatio();
  ratioCheck();
}

function listenToPage() {
  if (views.size !== 1) return;
  window.addEventListener("resize", ratioCheck);
  watchRatio();
  document.addEventListener("keydown", windowKey);
}
function leavePage() {
  if (views.size !== 0) return;
  window.removeEventListener("resize", ratioCheck);
  watchRatio();
  document.removeEventListener("keydown", windowKey);
}

// A button's elements, made once per look and cloned: a clone shares the parsed styles, so that
// alike buttons cost one style parse. The caption's place and text are each clone's own.
const templates = new Map();
function shapeLike(looks, text) {
  const key = `${looks.shape}\n${looks.face}\n${looks.size}\n${text.font}`;
  let template = templates.get(key);
  if (!template) {
    if (templates.size >= 32) templates.clear();
    const shape = document.createElement("div");
    shape.dataset.botonShape = "";
    shape.style.cssText = looks.shape;
    const face = document.createElement("canvas");
    [face.width, face.height] = looks.size;
    face.style.cssText = looks.face;
    const caption = document.createElement("span");
    caption.dataset.botonCaption = "";
    caption.style.cssText = text.font + text.box.css;
    shape.append(face, caption);
    templates.set(key, (template = { shape, box: text.box }));
  }
  const shape = template.shape.cloneNode(true);
  const caption = shape.lastChild;
  if (template.box.css !== text.box.css) placeCaption(caption, text.box, template.box);
  caption.append(...captionLinesAsElements(text.lines));
  return shape;
}

// Each side set costs a parse: only those that differ from where the caption was.
function placeCaption(caption, box, was = {}) {
  if (box.left !== was.left) caption.style.left = `${box.left}px`;
  if (box.top !== was.top) caption.style.top = `${box.top}px`;
  if (box.width !== was.width) caption.style.width = `${box.width}px`;
}

function captionLinesAsElements(lines) {
  return lines.map((line) => {
    const div = document.createElement("div");
    if (line.key) {
      const key = document.createElement("u");
      key.textContent = line.key;
      div.append(line.before, key, line.after);
    } else {
      div.textContent = line.before + line.after;
    }
    return div;
  });
}

// The shape's and the face's styles, and the face's size in device pixels.
function faceLooks(page, view, w = page.width(), h = page.height()) {
  // Whole device pixels: the canvas's pixels are the screen's, never smoothed by the browser.
  // The core draws the face at the device's resolution, and the shape is cut in device pixels.
  const ratio = window.devicePixelRatio || 1;
  const path = page.shape(ratio);
  const face = `width: ${w}px; height: ${h}px;`;
  const scale = view.scaleOf(page, w, h);
  return { w, h, ratio, face, shape: path ? `${face} clip-path: path("${path}");` : face,
    size: [Math.round(w * scale), Math.round(h * scale)] };
}

// The caption's lines, style (font first: it resets the line height) and box.
function captionLooks(c) {
  const lines = linesOf(c.text);
  const decorations = [c.font.Underline && "underline", c.font.Strikethrough && "line-through"];
  const decoration = decorations.filter(Boolean).join(" ") || "none";
  return { lines, text: c.text,
    font: `font: ${fontText(c.font)}; line-height: ${c.height / lines.length}px; white-space: pre; ` +
      `color: ${cssColor(c.color)}; text-decoration: ${decoration}; `,
    box: { left: c.left, top: c.top, width: c.width,
      css: `left: ${c.left}px; top: ${c.top}px; width: ${c.width}px;` } };
}

// The core's pixels as they are: putImageData copies them.
function imageOf(bytes, width, height) {
  const data = new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, bytes.length);
  return new ImageData(data, width, height);
}

// Faces seen more than once, by their pixels: alike buttons (the caption is text over the face,
// so buttons of one size and look have the same pixels) show one image, encoded once, as their
// canvas's background, and give a canvas its own pixels only when its face first differs or a
// script reads it. A face seen once keeps its own canvas: encoding costs more than one canvas.
const sharedFaces = new Map();  // "width height hash" -> { width, height, bytes, words, url, canvases }
let encoder = null, sharing = true;
// Whole pixels, four bytes at once, where the bytes allow it.
function wordsOf(bytes) {
  return bytes.byteOffset % 4 === 0 && bytes.length % 4 === 0
    ? new Uint32Array(bytes.buffer, bytes.byteOffset, bytes.length >> 2) : bytes;
}
function hashOf(words) {
  let h = 0x811c9dc5;
  for (let i = 0; i < words.length; i++) h = Math.imul(h ^ words[i], 0x01000193);
  return h >>> 0;
}
function sameWords(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}
// The shared image of a face, when one like it was seen before; else remembers it and answers
// null. Alike buttons come in runs: the last face seen is compared first, without a hash.
let lastFace = null;
function sharedFace(bytes, width, height) {
  const words = wordsOf(bytes);
  let seen = lastFace;
  if (seen?.width !== width || seen.height !== height || !sameWords(seen.words, words)) {
    const key = `${width} ${height} ${hashOf(words)}`;
    seen = sharedFaces.get(key);
    if (!seen) {
      if (sharedFaces.size >= 32) sharedFaces.clear();
      const copy = bytes.slice();
      lastFace = { width, height, bytes: copy, words: wordsOf(copy), url: null, canvases: new Map() };
      sharedFaces.set(key, lastFace);
      return null;
    }
    if (!sameWords(seen.words, words)) return null;
    lastFace = seen;
  }
  if (!seen.url) {
    encoder ??= document.createElement("canvas");
    encoder.width = width;
    encoder.height = height;
    encoder.getContext("2d").putImageData(imageOf(seen.bytes, width, height), 0, 0);
    const data = encoder.toDataURL();
    seen.url = `url("${data}")`;
    // A page whose security policy refuses such images gets each face drawn in its own canvas.
    const probe = new Image();
    probe.onerror = () => {
      sharing = false;
      for (const view of views.values()) view.unshare();
    };
    probe.src = data;
  }
  return seen;
}

// Buttons made together (the elements of one task) draw their first faces together, after all
// are made: the canvases' work back to back costs the browser less than the same work spread
// among each button's other steps.
let together = null;
export function makeTogether(make) {
  if (together) return make();
  together = [];
  try {
    make();
  } finally {
    const made = together;
    together = null;
    for (const view of made) view.showPendingFace();
  }
}

// Attributes the view gives its element while it holds a button, and takes back after.
const OWN_ATTRIBUTES = ["role", "tabindex", "aria-disabled", "aria-label", "aria-keyshortcuts", "title"];

export class View {
  // `options.sizedByCss`: the element's CSS box is the button's extent (the custom element);
  // otherwise the view sizes the element to the button's extent (Boton.create on any element).
  constructor(button, element, module, options = {}) {
    coreModule ??= module;
    this.button = button;
    this.element = element;
    this.sizedByCss = Boolean(options.sizedByCss);
    // Made when first shown (#build).
    this.shape = null;
    this.face = null;
    this.faceContext = null;
    this.shared = null;  // the face's image shared with alike buttons, until the canvas has its own
    this.pendingFace = null;  // a first face drawn with the others made together (makeTogether)
    this.pic = null;  // made with a picture
    this.caption = null;
    this.looks = null;  // what they were last given
    this.root = null;
    this.timer = null;
    this.ratio = 0;
    this.ownName = null;
    this.pointerClick = false;
    this.dispatching = false;
    this.saved = null;
    this.held = false;  // being made: shown once, at the end
  }

  attach() {
    const el = this.element;
    addSheet(el.ownerDocument);
    // What the element was, to give it back as it was when the button goes.
    const attributes = {};
    for (const a of OWN_ATTRIBUTES) attributes[a] = el.getAttribute(a);
    this.saved = {
      children: el.hasChildNodes() ? Array.from(el.childNodes) : [],
      style: el.getAttribute("style"),
      attributes,
    };
    el.setAttribute("data-boton", "");
    if (!el.hasAttribute("role")) el.setAttribute("role", "button");
    views.set(el, this);
    this.root = rootOf(el);
    listen(this.root, 1);
    listenToPage();
  }

  detach() {
    clearInterval(this.timer);
    this.timer = null;
    const el = this.element;
    views.delete(el);
    unhover(this);
    listen(this.root, -1);
    leavePage();
    // A plain element again: its own children, style and attributes, nothing focusable left.
    if (el.ownerDocument.activeElement === el) el.blur();
    delete el.dataset.boton;
    el.replaceChildren(...this.saved.children);
    if (this.saved.style === null) el.removeAttribute("style");
    else el.setAttribute("style", this.saved.style);
    for (const [name, value] of Object.entries(this.saved.attributes)) {
      if (value === null) el.removeAttribute(name);
      else el.setAttribute(name, value);
    }
  }

  // The caption's size in pixels in its font, as the page draws it: the widest line, and the
  // lines' heights together, read by the caption rule every host shares.
  measure(font, text) {
    const css = fontText(font), key = `${css}\n${text}`;
    let size = measured.get(key);
    if (size) return size;
    if (!measureContext) {
      measureContext = document.createElement("canvas").getContext("2d");
      // A web font that arrives measures differently from the fallback measured before it.
      document.fonts?.addEventListener("loadingdone", () => measured.clear());
    }
    // The context parses a font each time it is given one.
    if (measureFont !== css) measureContext.font = measureFont = css;
    let width = 0, height = 0;
    for (const line of linesOf(text)) {
      const m = measureContext.measureText(line.before + line.key + line.after);
      width = Math.max(width, m.width);
      height += m.fontBoundingBoxAscent + m.fontBoundingBoxDescent;
    }
    if (measured.size >= 256) measured.clear();
    measured.set(key, (size = [width, height]));
    return size;
  }

  // A picture from the page: an <img>, <canvas>, ImageBitmap or ImageData, as straight RGBA
  // pixels. Anything else is handed on as it is, for the control to judge.
  pictureOf(value) {
    const drawable = typeof HTMLImageElement !== "undefined" &&
      (value instanceof HTMLImageElement || value instanceof HTMLCanvasElement ||
        (typeof ImageBitmap !== "undefined" && value instanceof ImageBitmap));
    if (!drawable) return value;
    const w = value.naturalWidth ?? value.width, h = value.naturalHeight ?? value.height;
    if (!w || !h) return null;
    const c = document.createElement("canvas");
    c.width = w;
    c.height = h;
    const ctx = c.getContext("2d");
    ctx.drawImage(value, 0, 0);
    return ctx.getImageData(0, 0, w, h);
  }

  pointerAt(clientX, clientY) {
    const page = this.button._page();
    if (!page) return;
    const [x, y] = this.#local(page, clientX, clientY);
    page.setPointer(Math.floor(x), Math.floor(y));
  }
  // A point in the button's own pixels, also when CSS zooms it.
  #local(page, clientX, clientY) {
    const r = this.element.getBoundingClientRect();
    const w = page.width(), k = Math.abs(r.width - w) < 1 || !w ? 1 : r.width / w;
    return [(clientX - r.left) / k, (clientY - r.top) / k];
  }
  pointerAway() {
    this.button._page()?.setPointer(-10000, -10000);
  }

  // Clicks the button as the page asks it to (el.click(), a <label>, an access key): the
  // control's own activation, as a container activates a button. Nothing on a disabled button.
  activate() {
    const page = this.button._page();
    if (!page || !page.enabled()) return;
    this.#run((p) => p.accessKey(32));
  }

  // The control raised Click: the page hears its `click` now, and only now. Returns false when
  // a listener cancelled it (the default action, a form's submission, is then left out).
  clicked() {
    this.dispatching = true;
    try {
      return this.element.dispatchEvent(
        new MouseEvent("click", { bubbles: true, cancelable: true, composed: true, detail: 1 }));
    } finally {
      this.dispatching = false;
    }
  }

  // Shows what the last steps changed.
  sync() {
    const page = this.button._page();
    if (!page || this.held) return;
    // The numbers in one call (Page::state): read before any other call into the module.
    const [changed, w, h, enabled, pointer, color, left, top, width, height, hasTip, hasPicture,
      timerOn, interval] = page.state();
    const first = !this.shape;
    const caption = changed & CAPTION || first
      ? { text: page.captionText(), font: page.captionFont(), color, left, top, width, height }
      : null;
    const face = changed & FACE || first ? faceLooks(page, this, w, h) : null;
    const text = caption && captionLooks(caption);
    if (first) this.#build(face, text);
    if (face && first && together) {
      this.pendingFace = face;
      together.push(this);
    } else if (face) this.#showFace(page, face);
    if (changed & CAPTION) this.#showCaption(text);
    if (changed & PICTURE) this.#showPicture(hasPicture ? page.picture() : null);
    if (changed & (CAPTION | TIP)) this.#showName(hasTip ? page.tip() : "");
    if (changed & ENABLED) this.#showEnabled(Boolean(enabled));
    if (changed & POINTER) this.element.style.cursor = CURSORS[pointer] ?? "";
    if (changed & TIMER) this.#runTimer(timerOn, interval);
    // Drawn out of the document, then shown: the page's style work is done once, not per canvas.
    if (this.shape.parentNode !== this.element) this.element.replaceChildren(this.shape);
  }

  #build(face, text) {
    this.looks = { shape: face.shape, face: face.face, size: face.size, font: text.font,
      box: text.box.css, text: text.text };
    this.shape = shapeLike(face, text);
    this.face = this.shape.firstChild;
    this.caption = this.shape.lastChild;
  }

  // A disabled button leaves the tab order and the focus (a key could click it otherwise).
  #showEnabled(on) {
    const el = this.element;
    if (on) el.tabIndex = Number(this.saved.attributes.tabindex ?? 0);
    else el.removeAttribute("tabindex");
    el.setAttribute("aria-disabled", String(!on));
    if (!on && el.ownerDocument.activeElement === el) el.blur();
    this.button._enabledChanged?.(on);
  }

  // The face is drawn again at the device's resolution when the ratio changes (a zoom, a window
  // moved to another screen).
  ratioCheck() {
    const page = this.button._page();
    if (!page || (window.devicePixelRatio || 1) === this.ratio) return;
    this.#run((p) => {
      p.setRatio(this.scaleOf(p));
      return p.show();
    });
    if ((window.devicePixelRatio || 1) !== this.ratio) this.#showFace(page, faceLooks(page, this));
  }

  // The ratio the face is drawn at: the screen's, unless a canvas side would pass the 32767
  // pixels a canvas may have (a huge button is then drawn coarser, never not at all).
  scaleOf(page, width = page.width(), height = page.height()) {
    return Math.min(window.devicePixelRatio || 1, 32767 / Math.max(width, height, 1));
  }

  showPendingFace() {
    const page = this.button._page(), looks = this.pendingFace;
    if (page && looks) this.#showFace(page, looks);
  }

  #showFace(page, looks) {
    this.pendingFace = null;
    const { w, h } = looks;
    if (!this.sizedByCss) {
      this.element.style.width = `${w}px`;
      this.element.style.height = `${h}px`;
    }
    this.ratio = looks.ratio;
    if (this.looks.shape !== looks.shape) this.shape.style.cssText = this.looks.shape = looks.shape;
    if (this.looks.face !== looks.face) this.face.style.cssText = this.looks.face = looks.face;
    const [dw, dh] = looks.size;
    if (this.face.width !== dw) this.face.width = dw;
    if (this.face.height !== dh) this.face.height = dh;
    if (w === 0 || h === 0) return;
    const device = dw === w && dh === h ? null : page.deviceFace();
    const bytes =
      device && device.length === dw * dh * 4 ? device : dw === w && dh === h ? page.face() : null;
    if (bytes && !this.faceContext && sharing) {
      const shared = sharedFace(bytes, dw, dh);
      if (shared) return this.#showShared(shared);
    }
    const ctx = this.#ownFace();
    if (bytes) return ctx.putImageData(imageOf(bytes, dw, dh), 0, 0);
    // No face drawn at this scale (a button so large that the canvas's limit lowered it): the
    // logical pixels as blocks of device pixels, edges kept sharp.
    const logical = imageOf(page.face(), w, h);
    // The finer shape decides what is cut: a logical pixel it only partly keeps is drawn.
    for (let i = 3; i < logical.data.length; i += 4) logical.data[i] = 255;
    this.logical ??= document.createElement("canvas");
    this.logical.width = w;
    this.logical.height = h;
    this.logical.getContext("2d").putImageData(logical, 0, 0);
    ctx.imageSmoothingEnabled = false;
    ctx.clearRect(0, 0, dw, dh);
    ctx.drawImage(this.logical, 0, 0, dw, dh);
  }

  // A face like others shown, as their shared image under the canvas: a clone of one canvas per
  // image and style, which shares its parsed style (the image's address is long to read). Whoever
  // reads the canvas (getContext) finds the face in it, as in every other canvas.
  #showShared(shared) {
    let proto = shared.canvases.get(this.looks.face);
    if (!proto) {
      proto = this.face.cloneNode(false);
      // Printed as shown (a printout leaves backgrounds out unless told).
      proto.style.cssText += `background: ${shared.url} 0 0 / 100% 100% no-repeat; ` +
        "-webkit-print-color-adjust: exact; print-color-adjust: exact;";
      shared.canvases.set(this.looks.face, proto);
    }
    const face = proto.cloneNode(false);
    this.face.replaceWith(face);
    this.face = face;
    this.shared = shared;
    face.getContext = (...args) => {
      this.#ownFace(true);
      return HTMLCanvasElement.prototype.getContext.apply(face, args);
    };
  }

  // The page refuses the shared image: the face in the canvas's own pixels.
  unshare() {
    if (this.shared) this.#ownFace(true);
  }

  // The canvas's own context; `keep`: with the shared face it showed (if any) as its pixels.
  #ownFace(keep) {
    if (this.faceContext) return this.faceContext;
    const face = this.face;
    delete face.getContext;
    this.faceContext = face.getContext("2d");
    if (this.shared) {
      face.style.background = "";
      const { bytes } = this.shared;
      if (keep && bytes.length === face.width * face.height * 4)
        this.faceContext.putImageData(imageOf(bytes, face.width, face.height), 0, 0);
      this.shared = null;
    }
    return this.faceContext;
  }

  #showCaption(looks) {
    if (this.looks.text !== looks.text) {
      this.caption.replaceChildren(...captionLinesAsElements(looks.lines));
      this.looks.text = looks.text;
    }
    if (this.looks.font !== looks.font) {
      this.caption.style.cssText = looks.font + looks.box.css;
      this.looks.font = looks.font;
      this.looks.box = looks.box.css;
    } else if (this.looks.box !== looks.box.css) {
      placeCaption(this.caption, looks.box);
      this.looks.box = looks.box.css;
    }
    const lines = looks.lines;
    this.captionName = lines.map((l) => l.before + l.key + l.after).join(" ").trim();
    // The marked character is the access key: Alt and that letter click the button.
    this.accessKey = (lines.findLast((l) => l.key)?.key ?? "").toLowerCase();
    if (this.accessKey) this.element.setAttribute("aria-keyshortcuts", `Alt+${this.accessKey.toUpperCase()}`);
    else this.element.removeAttribute("aria-keyshortcuts");
  }

  // The accessible name: the caption as read (no marks), else the tooltip, unless the page
  // named the button itself.
  #showName(tip) {
    const el = this.element;
    if (tip) el.title = tip;
    else if (this.saved.attributes.title === null) el.removeAttribute("title");
    // A name the page wrote (before or since) is the page's, and stays.
    const current = el.getAttribute("aria-label");
    if (current !== null && current !== this.ownName) return;
    this.ownName = this.captionName || tip || null;
    if (this.ownName) el.setAttribute("aria-label", this.ownName);
    else el.removeAttribute("aria-label");
  }

  #showPicture(p) {
    const image = p?.visible ? p.image : null;
    if (!image) {
      if (this.pic) this.pic.style.display = "none";
      return;
    }
    if (!this.pic) {
      this.pic = document.createElement("canvas");
      this.caption.before(this.pic);
    }
    this.pic.style.display = "";
    this.pic.width = image.width;
    this.pic.height = image.height;
    Object.assign(this.pic.style, { left: `${p.left}px`, top: `${p.top}px` });
    this.pic.getContext("2d").putImageData(new ImageData(image.data, image.width, image.height), 0, 0);
  }

  #runTimer(on, interval) {
    clearInterval(this.timer);
    this.timer = null;
    if (on && interval > 0) this.timer = setInterval(() => this.#run((p) => p.tick()), interval);
  }

  // A step from the page's input: a failure is reported as a "BotonError" event on the element
  // (input has no caller to throw to).
  #run(fn) {
    if (this.button.destroyed) return;
    try {
      this.button._step(fn);
    } catch (error) {
      this.element.dispatchEvent(new CustomEvent("BotonError", { detail: error }));
    }
  }

  // The browser's own click events say nothing: the page hears `click` when the control raises
  // Click (clicked()). A click the browser makes up for the element (a <label>, an access key)
  // asks the button to click itself.
  focused(on) {
    this.#run(on ? (p) => p.focusIn() : (p) => p.focusOut());
  }

  click(e) {
    if (this.dispatching) return;
    e.stopImmediatePropagation();
    e.preventDefault();
    if (this.pointerClick) return;
    this.activate();
  }

  pointer(action, e) {
    const page = this.button._page();
    if (!page) return;
    if (action === UP) {
      // The browser's click after this release is the pointer's, not a request to click.
      this.pointerClick = true;
      setTimeout(() => (this.pointerClick = false));
    }
    // A disabled button takes no input, and a press does not focus it.
    if (!page.enabled()) return action === DOWN && e.preventDefault();
    const [x, y] = this.#local(page, e.clientX, e.clientY);
    page.setPointer(Math.floor(x), Math.floor(y));
    let button;
    if (action === MOVE) button = e.buttons & 7;
    else {
      button = BUTTON[e.button];
      if (!button) return;
      // The pressed part keeps the pointer while a button is held, wherever it goes.
      if (action === DOWN) this.element.setPointerCapture(e.pointerId);
    }
    if (action === DOWN && document.activeElement !== this.element) this.element.focus();
    this.#run((p) => p.pointer(action, button, shiftOf(e), x, y));
  }

  key(e, down) {
    const page = this.button._page();
    // A disabled button hears no key, even when a script focused it.
    if (!page || e.key === "Tab" || !page.enabled()) return;
    // Enter and Escape that the form gives another button are left to the form, so that this
    // one does not see them too.
    if (plainKey(e) || e.repeat) {
      const target = formTarget(e, this.element);
      if (target?.taken && !target.own) return;
    }
    if (e.key === " " || e.key === "Enter" || e.key === "Escape") e.preventDefault();
    const code = e.keyCode & 0xffff;
    if (!down) return this.#run((p) => p.keyUp(code, shiftOf(e)));
    this.#run((p) => p.keyDown(code, shiftOf(e)));
    const ascii = asciiOf(e);
    if (ascii !== null && !this.button.destroyed) this.#run((p) => p.keyPress(ascii));
  }
}
