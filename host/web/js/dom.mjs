// The page's side of a button: its element shows the retained face in a <canvas>, shaped by a
// clip-path that the browser also hit-tests (a click in a cut-away corner goes to the element
// behind), the picture and the caption over it; DOM input becomes the control's steps.

// What the core reports as changed (host/web/src/host_objects.h).
const FACE = 1, CAPTION = 2, PICTURE = 4, TIMER = 8, ENABLED = 16, POINTER = 32, TIP = 64;
const DOWN = 0, MOVE = 1, UP = 2;

// The pointer shapes of the automation world, as CSS cursors (99, a custom icon, shows the
// default arrow: a page has no icon format for it).
const CURSORS = ["", "default", "crosshair", "text", "default", "move", "nesw-resize",
  "ns-resize", "nwse-resize", "ew-resize", "n-resize", "wait", "no-drop", "progress", "help",
  "move"];

const live = new Set();
let measureContext;

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
export function addSheet(doc) {
  if (doc.querySelector("style[data-boton-sheet]")) return;
  const style = doc.createElement("style");
  style.dataset.botonSheet = "";
  style.textContent = SHEET;
  doc.head.prepend(style);
}

// The page's CSS for a control font. Points are the CSS unit of the same name (96 pixels to
// the inch, as twips are 1440 to the inch): an 8.25-point caption is 11 pixels high.
export function cssFont(font) {
  const weight = Math.max(1, Math.min(1000, font.Weight || (font.Bold ? 700 : 400)));
  const name = String(font.Name).replace(/["\\]/g, "");
  return `${font.Italic ? "italic " : ""}${weight} ${font.Size}pt "${name}", sans-serif`;
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

// Alt and a caption's marked letter click that button (the first shown and enabled one, in the
// page's order), wherever the focus is.
function accessKey(e) {
  if (!e.altKey || e.ctrlKey || e.metaKey || e.repeat || e.key.length !== 1) return false;
  const key = e.key.toLowerCase();
  for (const el of document.querySelectorAll("[data-boton]")) {
    const view = [...live].find((v) => v.element === el);
    if (!view || view.accessKey !== key || el.getClientRects().length === 0) continue;
    if (!view.button._page()?.enabled()) continue;
    e.preventDefault();
    view.activate();
    return true;
  }
  return false;
}

// The pointer as the control's platform sees it, for the hover test: where it is relative to
// each button, or away when it leaves the page.
function trackPointer(e) {
  for (const view of live) view.pointerAt(e.clientX, e.clientY);
}
function pointerAway(e) {
  if (e.relatedTarget) return;
  for (const view of live) view.pointerAway();
}

// A new device pixel ratio: the media query of the old one stops matching (and a zoom also
// resizes the window in CSS pixels).
let ratioQuery = null;
function ratioCheck() {
  for (const view of live) view.ratioCheck();
}
function watchRatio() {
  ratioQuery?.removeEventListener("change", ratioChanged);
  ratioQuery = live.size ? matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`) : null;
  ratioQuery?.addEventListener("change", ratioChanged);
}
function ratioChanged() {
  watchRatio();
  ratioCheck();
}

function listenToPage() {
  if (live.size !== 1) return;
  window.addEventListener("resize", ratioCheck);
  watchRatio();
  document.addEventListener("keydown", windowKey);
  document.addEventListener("pointermove", trackPointer, { capture: true, passive: true });
  document.addEventListener("pointerout", pointerAway, { capture: true, passive: true });
}
function leavePage() {
  if (live.size !== 0) return;
  window.removeEventListener("resize", ratioCheck);
  watchRatio();
  document.removeEventListener("keydown", windowKey);
  document.removeEventListener("pointermove", trackPointer, { capture: true });
  document.removeEventListener("pointerout", pointerAway, { capture: true });
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
    this.shape = document.createElement("div");
    this.shape.dataset.botonShape = "";
    this.face = document.createElement("canvas");
    this.pic = document.createElement("canvas");
    this.caption = document.createElement("span");
    this.caption.dataset.botonCaption = "";
    this.shape.append(this.face, this.pic, this.caption);
    this.timer = null;
    this.ratio = 0;
    this.ownName = null;
    this.pointerClick = false;
    this.dispatching = false;
    this.saved = null;
    this.handlers = {
      pointerdown: (e) => this.#pointer(DOWN, e),
      pointermove: (e) => this.#pointer(MOVE, e),
      pointerup: (e) => this.#pointer(UP, e),
      keydown: (e) => this.#key(e, true),
      keyup: (e) => this.#key(e, false),
      focus: () => this.#run((p) => p.focusIn()),
      blur: () => this.#run((p) => p.focusOut()),
      contextmenu: (e) => e.preventDefault(),
      click: (e) => this.#click(e),
    };
  }

  attach() {
    const el = this.element;
    addSheet(el.ownerDocument);
    // What the element was, to give it back as it was when the button goes.
    this.saved = {
      children: [...el.childNodes],
      style: el.getAttribute("style"),
      attributes: Object.fromEntries(OWN_ATTRIBUTES.map((a) => [a, el.getAttribute(a)])),
    };
    el.dataset.boton = "";
    if (!el.hasAttribute("role")) el.setAttribute("role", "button");
    el.replaceChildren(this.shape);
    for (const [name, fn] of Object.entries(this.handlers))
      el.addEventListener(name, fn, name === "click" ? { capture: true } : undefined);
    live.add(this);
    listenToPage();
  }

  detach() {
    clearInterval(this.timer);
    this.timer = null;
    const el = this.element;
    for (const [name, fn] of Object.entries(this.handlers))
      el.removeEventListener(name, fn, name === "click" ? { capture: true } : undefined);
    live.delete(this);
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
    measureContext ??= document.createElement("canvas").getContext("2d");
    measureContext.font = cssFont(font);
    let width = 0, height = 0;
    for (const line of coreModule.captionLines(text)) {
      const m = measureContext.measureText(line.before + line.key + line.after);
      width = Math.max(width, m.width);
      height += m.fontBoundingBoxAscent + m.fontBoundingBoxDescent;
    }
    return [width, height];
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
    const r = this.element.getBoundingClientRect();
    page.setPointer(Math.floor(clientX - r.left), Math.floor(clientY - r.top));
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
    if (!page) return;
    const changed = page.changes();
    if (changed & FACE) this.#showFace(page);
    if (changed & CAPTION) this.#showCaption(page);
    if (changed & PICTURE) this.#showPicture(page);
    if (changed & TIP) this.#showName(page);
    if (changed & ENABLED) this.#showEnabled(page.enabled());
    if (changed & POINTER) this.element.style.cursor = CURSORS[page.mousePointer()] ?? "";
    if (changed & TIMER) this.#runTimer(page);
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
    if (page && (window.devicePixelRatio || 1) !== this.ratio) this.#showFace(page);
  }

  #showFace(page) {
    const w = page.width(), h = page.height();
    const el = this.element;
    if (!this.sizedByCss) {
      el.style.width = `${w}px`;
      el.style.height = `${h}px`;
    }
    // Whole device pixels: the canvas's pixels are the screen's, never smoothed by the browser.
    // The face's logical pixels are drawn as blocks of device pixels, edges kept sharp, and the
    // shape is cut in device pixels.
    const ratio = window.devicePixelRatio || 1;
    this.ratio = ratio;
    const shape = page.shape(ratio);
    this.shape.style.clipPath = shape ? `path("${shape}")` : "";
    Object.assign(this.shape.style, { width: `${w}px`, height: `${h}px` });
    // A canvas side has at most 32767 pixels: a huge button is drawn coarser, never not at all.
    const scale = Math.min(ratio, 32767 / Math.max(w, h, 1));
    const dw = Math.round(w * scale), dh = Math.round(h * scale);
    if (this.face.width !== dw) this.face.width = dw;
    if (this.face.height !== dh) this.face.height = dh;
    Object.assign(this.face.style, { width: `${w}px`, height: `${h}px` });
    if (w === 0 || h === 0) return;
    const logical = new ImageData(new Uint8ClampedArray(page.face()), w, h);
    const ctx = this.face.getContext("2d");
    if (dw === w && dh === h) return ctx.putImageData(logical, 0, 0);
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

  #showCaption(page) {
    const c = page.caption();
    const lines = coreModule.captionLines(c.text);
    const lineHeight = c.height / lines.length;
    this.caption.replaceChildren(...lines.map((line) => {
      const div = document.createElement("div");
      div.append(line.before);
      if (line.key) {
        const key = document.createElement("u");
        key.textContent = line.key;
        div.append(key);
      }
      div.append(line.after);
      return div;
    }));
    const decorations = [c.font.Underline && "underline", c.font.Strikethrough && "line-through"];
    Object.assign(this.caption.style, {
      font: cssFont(c.font),
      lineHeight: `${lineHeight}px`,
      whiteSpace: "pre",
      color: cssColor(c.color),
      left: `${c.left}px`,
      top: `${c.top}px`,
      width: `${c.width}px`,
      textDecoration: decorations.filter(Boolean).join(" ") || "none",
    });
    this.captionName = lines.map((l) => l.before + l.key + l.after).join(" ").trim();
    // The marked character is the access key: Alt and that letter click the button.
    this.accessKey = (lines.findLast((l) => l.key)?.key ?? "").toLowerCase();
    if (this.accessKey) this.element.setAttribute("aria-keyshortcuts", `Alt+${this.accessKey.toUpperCase()}`);
    else this.element.removeAttribute("aria-keyshortcuts");
    this.#showName(page);
  }

  // The accessible name: the caption as read (no marks), else the tooltip, unless the page
  // named the button itself.
  #showName(page) {
    const tip = page.caption().tip || page.picture().tip;
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

  #showPicture(page) {
    const p = page.picture();
    const image = p.visible ? p.image : null;
    this.pic.style.display = image ? "" : "none";
    if (!image) return;
    this.pic.width = image.width;
    this.pic.height = image.height;
    Object.assign(this.pic.style, { left: `${p.left}px`, top: `${p.top}px` });
    this.pic.getContext("2d").putImageData(new ImageData(image.data, image.width, image.height), 0, 0);
  }

  #runTimer(page) {
    clearInterval(this.timer);
    this.timer = null;
    const t = page.timer();
    if (t.enabled && t.interval > 0) this.timer = setInterval(() => this.#run((p) => p.tick()), t.interval);
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
  #click(e) {
    if (this.dispatching) return;
    e.stopImmediatePropagation();
    e.preventDefault();
    if (this.pointerClick) return;
    this.activate();
  }

  #pointer(action, e) {
    const page = this.button._page();
    if (!page) return;
    if (action === UP) {
      // The browser's click after this release is the pointer's, not a request to click.
      this.pointerClick = true;
      setTimeout(() => (this.pointerClick = false));
    }
    // A disabled button takes no input, and a press does not focus it.
    if (!page.enabled()) return action === DOWN && e.preventDefault();
    const r = this.element.getBoundingClientRect();
    const x = e.clientX - r.left, y = e.clientY - r.top;
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

  #key(e, down) {
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
