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
  readonly element: HTMLElement;
  /** The published member names, in the control's order. */
  readonly members: string[];
  get<K extends keyof Members>(name: K): Members[K];
  get(name: string): unknown;
  set<K extends keyof Members>(name: K, value: Members[K] | PictureSource): void;
  set(name: string, value: unknown): void;
  call(name: "Refresh" | "CreaNuevaRegion"): void;
  save(): FormEntry;
  load(entry: FormEntry | string): void;
  default: boolean;
  cancel: boolean;
  resize(width: number, height: number): void;
  setSystemColor(index: number, rgb: number): void;
  setAmbientFont(font: Font): void;
  readonly destroyed: boolean;
  destroy(): void;
}

/** brelund.js (the package's standalone script) defines the same as window.Brelund. */
declare global {
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
