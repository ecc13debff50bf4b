// <brelund-boton>: the button as an element of the page, defined when the module is imported.
//
//   <form>
//     <brelund-boton name="action" value="save" caption="&Guardar" default></brelund-boton>
//   </form>
//
// It takes part in its form as <button> does (submit or reset, FormData, <label for>,
// :disabled, fieldset), sizes itself from its CSS box, and holds its control only while it is
// in a document, so that frameworks may create, move and drop it like any other element.

import { addSheet, makeTogether, SETUP } from "./dom.mjs";

// Attributes that set a member from its text. Colours also take any CSS colour.
const MEMBERS = {
  caption: "Caption",
  "round-size": "RoundSize",
  light: "Light",
  "roundness-3d": "Roundness3D",
  "create-region": "CreateRegion",
  "back-color": "BackColor",
  "fore-color": "ForeColor",
  "mouse-pointer": "MousePointer",
  "tooltip-text": "ToolTipText",
};
const COLOURS = new Set(["BackColor", "ForeColor"]);
const TYPES = ["submit", "reset", "button"];

// The property of each attribute: round-size is roundSize, roundness-3d is roundness3D.
const propertyOf = (attribute) => attribute.replace(/-([a-z0-9])/g, (_, c) => c.toUpperCase());

let colourContext;
// The element whose attribute is being written from its control, not to be applied again.
let reflecting = null;

// An attribute's text as the member takes it: booleans from "true"/"false", colours from an OLE
// number (decimal, 0x or &H hex) or a CSS colour; the rest as text, for the control to convert
// (so that a bad number fails as the control's own conversion error).
function valueOf(member, text) {
  if (member === "CreateRegion") {
    const t = text.trim().toLowerCase();
    if (t === "" || t === "true" || t === "1") return true;
    if (t === "false" || t === "0") return false;
    return text;
  }
  if (!COLOURS.has(member)) return text;
  const t = text.trim();
  const hex = /^(?:0x|&h)([0-9a-f]{1,8})&?$/i.exec(t);
  if (hex) return parseInt(hex[1], 16);
  if (/^\d+$/.test(t)) return Number(t);
  colourContext ??= document.createElement("canvas").getContext("2d");
  // The canvas normalises any CSS colour to #rrggbb or rgba(); text it does not take leaves the
  // fill as it was, which two different starting fills tell apart.
  const parsed = ["#000000", "#ffffff"].map((start) => {
    colourContext.fillStyle = start;
    colourContext.fillStyle = t;
    return colourContext.fillStyle;
  });
  if (parsed[0] !== parsed[1]) return text;
  const m = /^#(..)(..)(..)$/.exec(parsed[0]) ?? /^rgba?\((\d+), (\d+), (\d+)/.exec(parsed[0]);
  const [r, g, b] = m.slice(1).map((v) => (v.length === 2 && parsed[0][0] === "#" ? parseInt(v, 16) : Number(v)));
  return r | (g << 8) | (b << 16);
}

export function defineElement(Boton, loadCore) {
  if (typeof customElements === "undefined" || customElements.get("brelund-boton")) return;
  addSheet(document);

  class BrelundBoton extends HTMLElement {
    static formAssociated = true;
    static observedAttributes = [...Object.keys(MEMBERS), "disabled", "default", "cancel"];

    #internals = this.attachInternals();
    #boton = null;
    #creating = null;
    #entry = null;
    #fieldsetDisabled = false;

    // Controls are made together, after the task's other microtasks: all sizes are read at one
    // layout first (reading each as it is made lays the page out again every time).
    static #pending = [];
    static #makePending() {
      const batch = BrelundBoton.#pending.splice(0);
      const sizes = batch.map(([el]) => (el.isConnected && !el.#boton ? el.#size() : null));
      makeTogether(() => batch.forEach(([el, module], i) => {
        if (sizes[i] && el.isConnected && !el.#boton) el.#catching(() => el.#create(module, sizes[i]));
      }));
    }
    // The CSS box is the button's extent: one observer, all sizes read before any resize.
    static #resizes = new ResizeObserver((entries) => {
      const elements = entries.map((e) => e.target);
      const sizes = elements.map((el) => el.#size());
      elements.forEach((el, i) => el.#fit(sizes[i]));
    });

    #size() {
      return [Math.round(this.clientWidth), Math.round(this.clientHeight)];
    }

    get form() {
      return this.#internals.form;
    }
    get labels() {
      return this.#internals.labels;
    }
    get name() {
      return this.getAttribute("name") ?? "";
    }
    set name(v) {
      this.setAttribute("name", v);
    }
    get value() {
      return this.getAttribute("value") ?? "";
    }
    set value(v) {
      this.setAttribute("value", v);
    }
    get type() {
      const t = (this.getAttribute("type") ?? "").toLowerCase();
      return TYPES.includes(t) ? t : "submit";
    }
    set type(v) {
      this.setAttribute("type", v);
    }
    get disabled() {
      return this.hasAttribute("disabled");
    }
    set disabled(on) {
      this.toggleAttribute("disabled", Boolean(on));
    }
    get default() {
      return this.hasAttribute("default");
    }
    set default(on) {
      this.toggleAttribute("default", Boolean(on));
    }
    get cancel() {
      return this.hasAttribute("cancel");
    }
    set cancel(on) {
      this.toggleAttribute("cancel", Boolean(on));
    }

    connectedCallback() {
      if (this.#boton) return;
      // A move (out and back in within one task) keeps the control as it was.
      this.#creating ??= loadCore().then(
        (module) => {
          this.#creating = null;
          if (!this.isConnected || this.#boton) return;
          if (!BrelundBoton.#pending.length) queueMicrotask(BrelundBoton.#makePending);
          BrelundBoton.#pending.push([this, module]);
        },
        (error) => {
          this.#creating = null;
          this.#error(error);
        },
      );
    }

    disconnectedCallback() {
      // Released once the element has stayed out of the document for the rest of the task, so
      // that moving it keeps its control; what it was is kept for when it comes back.
      queueMicrotask(() => {
        if (this.isConnected || !this.#boton) return;
        try {
          this.#entry = this.#boton._snapshot();
        } catch (error) {
          this.#error(error);
        }
        this.#release();
      });
    }

    attributeChangedCallback(attribute, old, text) {
      if (!this.#boton || reflecting === this || old === text) return;
      this.#attribute(attribute, text);
    }

    formDisabledCallback(disabled) {
      this.#fieldsetDisabled = disabled;
      this.#enable();
    }
    // A button has no value of its own to reset; the form's reset leaves it as it is.
    formResetCallback() {}

    // Clicks the button: Click, then the page's `click` and the form's action, as a user's
    // click does; nothing while it is disabled.
    click() {
      this.#boton?.click();
    }

    // Every member by its published name, as Boton has them.
    get(name) {
      return this.#live().get(name);
    }
    set(name, value) {
      this.#live().set(name, value);
    }
    async save() {
      return this.#live().save();
    }
    async load(entry) {
      return this.#live().load(entry);
    }

    #live() {
      if (!this.#boton) throw new Error("brelund-boton: the button exists while the element is in a document");
      return this.#boton;
    }

    #create(module, [width, height]) {
      // Set up before it is first shown: the face is drawn once, not once per attribute.
      const setup = (boton) => {
        this.#boton = boton;
        boton._enabledChanged = (on) => this.#reflect("disabled", !on && !this.#fieldsetDisabled);
        boton._clickedHook = () => this.#act();
        // Back in a document: the control as it was (its attributes were applied then); new:
        // the attributes.
        const entry = this.#entry;
        this.#entry = null;
        if (entry) this.#catching(() => boton._restore({ ...entry, width: undefined, height: undefined }));
        else
          for (const attribute of Object.keys(MEMBERS))
            if (this.hasAttribute(attribute)) this.#attribute(attribute, this.getAttribute(attribute));
        this.#enable();
      };
      try {
        new Boton(module, this, { sizedByCss: true, width, height, default: this.default,
          cancel: this.cancel, [SETUP]: setup });
      } catch (error) {
        this.#boton = null;
        throw error;
      }
      BrelundBoton.#resizes.observe(this);
    }

    #release() {
      BrelundBoton.#resizes.unobserve(this);
      const boton = this.#boton;
      this.#boton = null;
      boton?.destroy();
    }

    #fit([width, height]) {
      const boton = this.#boton;
      if (!boton || boton.destroyed) return;
      const page = boton._page();
      if (page.width() === width && page.height() === height) return;
      this.#catching(() => boton.resize(width, height));
    }

    #attribute(attribute, text) {
      const boton = this.#boton;
      if (attribute === "disabled") return this.#enable();
      if (attribute === "default" || attribute === "cancel")
        return this.#catching(() => (boton[attribute] = text !== null));
      // A removed attribute leaves the member as it is.
      if (text === null) return;
      const member = MEMBERS[attribute];
      this.#catching(() => boton.set(member, valueOf(member, text)));
    }

    #enable() {
      const boton = this.#boton;
      if (!boton) return;
      const on = !this.disabled && !this.#fieldsetDisabled;
      const page = boton._page();
      if (page && page.enabled() !== on) this.#catching(() => boton.set("Enabled", on));
    }

    // The element's attribute follows the control (a script set Enabled), without applying it
    // again.
    #reflect(attribute, on) {
      if (this.hasAttribute(attribute) === on || (attribute === "disabled" && this.#fieldsetDisabled)) return;
      reflecting = this;
      try {
        this.toggleAttribute(attribute, on);
      } finally {
        reflecting = null;
      }
    }

    // The default action of a click, as <button type=...> has it.
    #act() {
      const form = this.#internals.form;
      if (!form || !this.isConnected) return;
      // The form's own methods: a control named "reset" or "submit" hides them on the form.
      if (this.type === "reset") return HTMLFormElement.prototype.reset.call(form);
      if (this.type !== "submit") return;
      // The button's name and value are in the submission's data, and only in it, as a
      // submitter's are.
      const named = this.name !== "";
      if (named) this.#internals.setFormValue(this.value);
      try {
        HTMLFormElement.prototype.requestSubmit.call(form);
      } finally {
        if (named) this.#internals.setFormValue(null);
      }
    }

    #catching(fn) {
      try {
        fn();
      } catch (error) {
        this.#error(error);
      }
    }
    #error(error) {
      this.dispatchEvent(new CustomEvent("BotonError", { detail: error }));
    }
  }

  // Members with a text form are properties too: el.roundSize = 12, el.caption = "&Sí".
  for (const [attribute, member] of Object.entries(MEMBERS)) {
    Object.defineProperty(BrelundBoton.prototype, propertyOf(attribute), {
      get() {
        return this.boton ? this.boton.get(member) : this.getAttribute(attribute);
      },
      set(value) {
        if (!this.boton) return this.setAttribute(attribute, String(value));
        this.boton.set(member, value);
        reflecting = this;
        try {
          this.setAttribute(attribute, String(value));
        } finally {
          reflecting = null;
        }
      },
      configurable: true,
    });
  }

  customElements.define("brelund-boton", BrelundBoton);
}
