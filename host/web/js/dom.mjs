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
  const form = from?.closest?.("form") ?? null;
  const scope = form ?? document;
  return [...scope.querySelectorAll("[data-boton]")].filter(
    (el) => el.boton && !el.boton.destroyed && el.getClientRects().length > 0 &&
      (el.closest("form") ?? null) === form,
  );
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

// The pointer as the control's platform sees it, for the hover test: where it is relative to
// each button, or away when it leaves the page.
function trackPointer(e) {
  for (const view of live) view.pointerAt(e.clientX, e.clientY);
}
function pointerAway(e) {
  if (e.relatedTarget) return;
  for (const view of live) view.pointerAway();
}

function listenToPage() {
  if (live.size !== 1) return;
  document.addEventListener("keydown", windowKey);
  document.addEventListener("pointermove", trackPointer, { capture: true, passive: true });
  document.addEventListener("pointerout", pointerAway, { capture: true, passive: true });
}
function leavePage() {
  if (live.size !== 0) return;
  document.removeEventListener("keydown", windowKey);
  document.removeEventListener("pointermove", trackPointer, { capture: true });
  document.removeEventListener("pointerout", pointerAway, { capture: true });
}

export class View {
  constructor(button, element, module) {
    coreModule ??= module;
    this.button = button;
    this.element = element;
    this.face = document.createElement("canvas");
    this.pic = document.createElement("canvas");
    this.caption = document.createElement("span");
    this.timer = null;
    this.handlers = {
      pointerdown: (e) => this.#pointer(DOWN, e),
      pointermove: (e) => this.#pointer(MOVE, e),
      pointerup: (e) => this.#pointer(UP, e),
      keydown: (e) => this.#key(e, true),
      keyup: (e) => this.#key(e, false),
      focus: () => this.#run((p) => p.focusIn()),
      blur: () => this.#run((p) => p.focusOut()),
      contextmenu: (e) => e.preventDefault(),
    };
  }

  attach() {
    const el = this.element;
    el.dataset.boton = "";
    el.tabIndex = 0;
    el.setAttribute("role", "button");
    Object.assign(el.style, {
      position: "relative", display: "inline-block", overflow: "hidden", padding: "0",
      border: "0", outline: "none", userSelect: "none", touchAction: "none", verticalAlign: "top",
    });
    el.replaceChildren(this.face, this.pic, this.caption);
    for (const part of [this.face, this.pic, this.caption])
      Object.assign(part.style, { position: "absolute", left: "0", top: "0", pointerEvents: "none" });
    Object.assign(this.caption.style, { whiteSpace: "pre", overflow: "visible" });
    for (const [name, fn] of Object.entries(this.handlers)) el.addEventListener(name, fn);
    live.add(this);
    listenToPage();
  }

  detach() {
    clearInterval(this.timer);
    for (const [name, fn] of Object.entries(this.handlers)) this.element.removeEventListener(name, fn);
    delete this.element.dataset.boton;
    live.delete(this);
    leavePage();
  }

  // The caption's size in pixels in its font, as the page draws it.
  measure(font, text) {
    measureContext ??= document.createElement("canvas").getContext("2d");
    measureContext.font = cssFont(font);
    const m = measureContext.measureText(text);
    return [m.width, m.fontBoundingBoxAscent + m.fontBoundingBoxDescent];
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

  // Shows what the last steps changed.
  sync() {
    const page = this.button._page();
    if (!page) return;
    const changed = page.changes();
    if (changed & FACE) this.#showFace(page);
    if (changed & CAPTION) this.#showCaption(page);
    if (changed & PICTURE) this.#showPicture(page);
    if (changed & TIP) {
      const tip = page.caption().tip || page.picture().tip;
      if (tip) this.element.title = tip;
      else this.element.removeAttribute("title");
    }
    if (changed & ENABLED) {
      const on = page.enabled();
      this.element.tabIndex = on ? 0 : -1;
      this.element.setAttribute("aria-disabled", String(!on));
    }
    if (changed & POINTER) this.element.style.cursor = CURSORS[page.mousePointer()] ?? "";
    if (changed & TIMER) this.#runTimer(page);
  }

  #showFace(page) {
    const w = page.width(), h = page.height();
    const el = this.element;
    el.style.width = `${w}px`;
    el.style.height = `${h}px`;
    const shape = page.shape();
    el.style.clipPath = shape ? `path("${shape}")` : "";
    if (this.face.width !== w) this.face.width = w;
    if (this.face.height !== h) this.face.height = h;
    if (w === 0 || h === 0) return;
    const pixels = new Uint8ClampedArray(page.face());
    this.face.getContext("2d").putImageData(new ImageData(pixels, w, h), 0, 0);
  }

  #showCaption(page) {
    const c = page.caption();
    this.caption.textContent = c.text;
    const decorations = [c.font.Underline && "underline", c.font.Strikethrough && "line-through"];
    Object.assign(this.caption.style, {
      font: cssFont(c.font),
      lineHeight: `${c.height}px`,
      color: cssColor(c.color),
      left: `${c.left}px`,
      top: `${c.top}px`,
      textDecoration: decorations.filter(Boolean).join(" ") || "none",
    });
    this.element.setAttribute("aria-label", c.text);
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

  #pointer(action, e) {
    const page = this.button._page();
    if (!page) return;
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
    if (!page || e.key === "Tab") return;
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
