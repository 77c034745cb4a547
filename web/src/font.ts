// The font picture: the core draws the glyph sheet, laid out in as many columns as fit the
// panel's width at the zoom; the canvas shows it enlarged without smoothing, and the line
// under it names the character under the pointer (the core's text for it).
import { core } from "./core";
import { el } from "./dom";
import { isIntIn, readSetting, writeSetting } from "./settings";

export const ZoomMin = 1;
export const ZoomMax = 8;

let zoom = readSetting("fontZoom", 1, isIntIn(ZoomMin, ZoomMax));
const listeners = new Set<() => void>();

export function fontZoom(): number {
  return zoom;
}

export function setFontZoom(value: number): void {
  const next = Math.min(ZoomMax, Math.max(ZoomMin, Math.round(value)));
  if (next === zoom) return;
  zoom = next;
  writeSetting("fontZoom", zoom);
  for (const listener of listeners) listener();
}

/** Calls listener after each zoom change; the returned function stops it. */
export function onZoom(listener: () => void): () => void {
  listeners.add(listener);
  return () => listeners.delete(listener);
}

/** Columns of cellWidth that fit width pixels at the zoom (at least one). */
export function columnsFor(width: number, cellWidth: number, z: number): number {
  if (cellWidth <= 0) return 1;
  return Math.max(1, Math.floor(width / z / cellWidth));
}

export class FontPicture {
  readonly element: HTMLDivElement;
  private readonly canvas: HTMLCanvasElement;
  private readonly under: HTMLDivElement;
  private readonly box: HTMLDivElement;
  private columns = 16;
  private drawnFor = "";
  private readonly redraw = () => this.draw();
  private readonly resize = new ResizeObserver(() => this.draw());

  constructor(private readonly id: number, private readonly cellWidth: number, caption?: string) {
    this.canvas = el("canvas", { class: "font-sheet" });
    this.box = el("div", { class: "font-box" }, this.canvas);
    this.under = el("div", { class: "font-under" });
    this.under.textContent = "\u00A0";
    this.element = el("div", { class: "font-picture" });
    if (caption) this.element.append(el("div", { class: "font-caption" }, caption));
    this.element.append(this.box, this.under);
    this.canvas.addEventListener("mousemove", (event) => this.pointer(event));
    this.canvas.addEventListener("mouseleave", () => (this.under.textContent = "\u00A0"));
    listeners.add(this.redraw);
    this.resize.observe(this.box);
  }

  /** Stops listening (the panel is replaced). */
  dispose(): void {
    listeners.delete(this.redraw);
    this.resize.disconnect();
  }

  draw(): void {
    const width = this.box.clientWidth - 20 || 16 * this.cellWidth * zoom;
    const columns = columnsFor(width, this.cellWidth, zoom);
    const key = `${columns}/${zoom}`;
    if (key === this.drawnFor) return;
    this.drawnFor = key;
    this.columns = columns;
    const sheet = core.fontSheet(this.id, columns);
    if (!sheet.width || !sheet.height) {
      this.canvas.width = this.canvas.height = 0;
      return;
    }
    const pixels = core.fontPixels(this.id, columns);
    this.canvas.width = sheet.width;
    this.canvas.height = sheet.height;
    this.canvas.style.width = `${sheet.width * zoom}px`;
    this.canvas.style.height = `${sheet.height * zoom}px`;
    this.canvas.dataset.columns = String(sheet.columns);
    const context = this.canvas.getContext("2d");
    if (!context || pixels.length !== sheet.width * sheet.height * 4) return;
    context.putImageData(new ImageData(new Uint8ClampedArray(pixels), sheet.width, sheet.height), 0, 0);
  }

  private pointer(event: MouseEvent): void {
    const rect = this.canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - rect.left) / zoom);
    const y = Math.floor((event.clientY - rect.top) / zoom);
    this.under.textContent = core.glyphAt(this.id, this.columns, x, y) || "\u00A0";
  }
}
