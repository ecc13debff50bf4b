// Types of the "brelund" module: one Boton on an element of the page.

export interface Font {
  Name: string;
  /** Points; 8.25 is 11 CSS pixels. */
  Size: number;
  Bold?: boolean;
  Italic?: boolean;
  Underline?: boolean;
  Strikethrough?: boolean;
  Weight?: number;
  Charset?: number;
}

/** Straight RGBA pixels, as an ImageData holds them. */
export interface PictureData {
  width: number;
  height: number;
  data: Uint8ClampedArray | Uint8Array;
}

export type PictureSource = PictureData | HTMLImageElement | HTMLCanvasElement | ImageBitmap | null;

/** Colours are OLE colours: 0xBBGGRR, or 0x80000000 + index for a system colour. */
export interface Members {
  Caption: string;
  Enabled: boolean;
  Font: Font;
  MouseIcon: PictureData | null;
  MousePointer: number;
  Picture: PictureData | null;
  BackColor: number;
  ForeColor: number;
  RoundSize: number;
  Light: number;
  ToolTipText: string;
  BackColorOriginal: number;
  CreateRegion: boolean;
  Roundness3D: number;
}
export type MemberName = keyof Members | "Refresh" | "CreaNuevaRegion";
export type WritableMember = Exclude<keyof Members, "BackColorOriginal">;
/** What each member takes: pictures also from the page's images and canvases. */
export type MemberInput = {
  [K in WritableMember]: K extends "Picture" | "MouseIcon" ? PictureSource : Members[K];
};

/** The form file's entry of one button (docs/forms.md). */
export interface FormEntry {
  Name?: string;
  Left?: number;
  Top?: number;
  /** Twips: 15 to the pixel. */
  Width?: number;
  Height?: number;
  Default?: boolean;
  Cancel?: boolean;
  Properties?: Record<string, unknown>;
}

export interface CreateOptions {
  /** Pixels; 81 x 33 unless an entry gives the extent. */
  width?: number;
  height?: number;
  entry?: FormEntry | string;
  default?: boolean;
  cancel?: boolean;
  /** Where brelund-core.wasm is served from. */
  locateFile?: (name: string) => string;
}

/** The arguments of an event, by reference: what a listener writes is what the control uses. */
export interface KeyDetail { KeyCode: number; Shift: number; }
export interface KeyPressDetail { KeyAscii: number; }
export interface MouseDetail { Button: number; Shift: number; X: number; Y: number; }
export interface BotonEventMap {
  Click: CustomEvent<{}>;
  KeyDown: CustomEvent<KeyDetail>;
  KeyPress: CustomEvent<KeyPressDetail>;
  KeyUp: CustomEvent<KeyDetail>;
  MouseDown: CustomEvent<MouseDetail>;
  MouseMove: CustomEvent<MouseDetail>;
  MouseUp: CustomEvent<MouseDetail>;
  Resize: CustomEvent<{}>;
  PropertyChanged: CustomEvent<{ name: string }>;
  BotonError: CustomEvent<BotonError>;
}

export declare const EVENTS: Readonly<Record<keyof BotonEventMap, readonly string[]>>;
export declare function SystemColor(index: number): number;
export declare function loadCore(options?: { locateFile?: (name: string) => string }): Promise<unknown>;

export declare class BotonError extends Error {
  readonly number: number;
}

/** Every member is also a property of the button under its published name. */
export declare interface Boton extends Members {}
export declare class Boton {
  Refresh(): void;
  CreaNuevaRegion(): void;
  static create(element: Element, options?: CreateOptions): Promise<Boton>;
  /** The button's window: its events are dispatched here (see BotonEventMap). */
  readonly element: BotonHostElement;
  /** The published member names, in the control's order. */
  readonly members: string[];
  get<K extends keyof Members>(name: K): Members[K];
  set<K extends WritableMember>(name: K, value: MemberInput[K]): void;
  /** Clicks the button as the user does: Click, then the page's `click`. */
  click(): void;
  call(name: "Refresh" | "CreaNuevaRegion"): void;
  /** The form file's entry; the first save or load fetches the forms module (brelund-forms.wasm). */
  save(): Promise<FormEntry>;
  /** Applies all of the entry or, rejecting with the reason, none of it. */
  load(entry: FormEntry | string): Promise<void>;
  default: boolean;
  cancel: boolean;
  resize(width: number, height: number): void;
  setSystemColor(index: number, rgb: number): void;
  setAmbientFont(font: Font): void;
  readonly destroyed: boolean;
  destroy(): void;
}

/** `<brelund-boton>`: the button as an element, defined when the module is imported. */
export declare class BrelundBotonElement extends HTMLElement {
  /** The control while the element is in a document. */
  readonly boton: Boton | undefined;
  readonly form: HTMLFormElement | null;
  readonly labels: NodeList;
  name: string;
  value: string;
  type: "submit" | "reset" | "button";
  disabled: boolean;
  default: boolean;
  cancel: boolean;
  caption: string;
  roundSize: number;
  light: number;
  roundness3D: number;
  createRegion: boolean;
  backColor: number;
  foreColor: number;
  mousePointer: number;
  tooltipText: string;
  get<K extends keyof Members>(name: K): Members[K];
  set<K extends WritableMember>(name: K, value: MemberInput[K]): void;
  save(): Promise<FormEntry>;
  load(entry: FormEntry | string): Promise<void>;
  addEventListener<K extends keyof BotonElementEventMap>(type: K,
    listener: (this: BrelundBotonElement, ev: BotonElementEventMap[K]) => unknown,
    options?: boolean | AddEventListenerOptions): void;
  addEventListener(type: string, listener: EventListenerOrEventListenerObject,
    options?: boolean | AddEventListenerOptions): void;
}
export interface BotonElementEventMap extends HTMLElementEventMap, BotonEventMap {}
/** The element a Boton was created on, its events typed. */
export interface BotonHostElement extends HTMLElement {
  addEventListener<K extends keyof BotonElementEventMap>(type: K,
    listener: (this: HTMLElement, ev: BotonElementEventMap[K]) => unknown,
    options?: boolean | AddEventListenerOptions): void;
  addEventListener(type: string, listener: EventListenerOrEventListenerObject,
    options?: boolean | AddEventListenerOptions): void;
}

/** brelund.js (the package's standalone script) defines the same as window.Brelund. */
declare global {
  interface HTMLElementTagNameMap {
    "brelund-boton": BrelundBotonElement;
  }
  interface Window {
    Brelund: {
      Boton: typeof Boton;
      BotonError: typeof BotonError;
      SystemColor: typeof SystemColor;
      EVENTS: typeof EVENTS;
      loadCore: typeof loadCore;
    };
  }
}
