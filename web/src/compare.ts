// Comparing with a second image: the core compares both whole; the tree marks what differs
// (the badges), next/previous difference walks the marks, and a changed node shows both
// sides next to each other: its header's fields, then its text entries or MCC entries
// (changed runs marked), or both fonts with the differing glyphs framed.
import type { CompareResult, SideRow, SideRun, Sides } from "./core-api";
import { core } from "./core";
import { clear, el } from "./dom";
import { fontZoom, onZoom } from "./font";
import { VirtualList } from "./virtual";

const RowHeight = 20;
const FontColumns = 16;

export interface Comparing {
  name: string;
  summary: string;
}

let comparing: Comparing | undefined;

export function comparison(): Comparing | undefined {
  return comparing;
}

/** Compares the open image with the file's bytes. */
export function compareWith(bytes: Uint8Array, name: string): CompareResult {
  const result = core.compareWith(bytes, name);
  comparing = result.ok ? { name, summary: result.summary } : undefined;
  return result;
}

export function stopComparing(): void {
  if (!comparing) return;
  core.stopComparing();
  comparing = undefined;
}

/** Forgets the comparison (a new image was opened, which ends it in the core too). */
export function forgetComparison(): void {
  comparing = undefined;
}

/** "Compared with NAME: SUMMARY", the status line of a comparison. */
export function comparedLine(c: Comparing): string {
  return `Compared with ${c.name}: ${c.summary}`;
}

function runs(cell: HTMLElement, text: string, parts: SideRun[] | undefined): void {
  if (!parts || !parts.length) {
    cell.textContent = text;
    return;
  }
  for (const part of parts) {
    const span = el("span", part.changed ? { class: "run-changed" } : {});
    span.textContent = part.text;
    cell.append(span);
  }
}

function sideTable(rows: SideRow[], first: string, className: string): HTMLElement {
  const list = new VirtualList({
    rowHeight: RowHeight,
    rowClass: "side-row",
    render: (row, index) => {
      const r = rows[index];
      const sign = el("span", { class: "s-sign" });
      sign.textContent = r.sign;
      if (r.change) sign.title = r.change;
      const label = el("span", { class: "s-label" });
      label.textContent = r.label;
      const left = el("span", { class: "s-left" });
      runs(left, r.left, r.leftRuns);
      const right = el("span", { class: "s-right" });
      runs(right, r.right, r.rightRuns);
      row.dataset.change = r.change || "same";
      row.append(sign, label, left, right);
    },
  });
  list.element.classList.add("sides", className);
  const head = el("div", { class: "table-head side-head" },
    el("span", { class: "s-sign" }, ""), el("span", { class: "s-label" }, first),
    el("span", { class: "s-left" }, "First"), el("span", { class: "s-right" }, "Second"));
  const table = el("div", { class: `table ${className}-table` }, head, list.element);
  list.setCount(rows.length);
  if (rows.length < 12) {
    table.style.flex = `0 0 ${(rows.length + 1) * RowHeight + 4}px`;
    table.style.minHeight = "0";
  }
  return table;
}

/** One side's font sheet with the differing cells framed, redrawn at each zoom. */
function fontSide(id: number, cells: number[], caption: string): HTMLElement {
  const canvas = el("canvas", { class: "font-sheet compare-font" });
  drawSide(canvas, id, cells);
  const stop = onZoom(() => {
    if (canvas.isConnected) drawSide(canvas, id, cells);
    else stop();
  });
  canvas.dataset.cells = String(cells.length);
  return el("div", { class: "compare-font-side" }, el("div", { class: "font-caption" }, caption), el("div", { class: "font-box" }, canvas));
}

function drawSide(canvas: HTMLCanvasElement, id: number, cells: number[]): void {
  const sheet = core.fontSheet(id, FontColumns);
  const z = fontZoom();
  canvas.width = sheet.width * z;
  canvas.height = sheet.height * z;
  const context = canvas.getContext("2d");
  const pixels = core.fontPixels(id, FontColumns);
  if (context && sheet.width > 0 && pixels.length === sheet.width * sheet.height * 4) {
    const plain = document.createElement("canvas");
    plain.width = sheet.width;
    plain.height = sheet.height;
    plain.getContext("2d")!.putImageData(new ImageData(new Uint8ClampedArray(pixels), sheet.width, sheet.height), 0, 0);
    context.imageSmoothingEnabled = false;
    context.drawImage(plain, 0, 0, canvas.width, canvas.height);
    context.strokeStyle = "#1e5ac8";
    context.lineWidth = 2;
    for (const cell of cells) {
      const column = cell % sheet.columns;
      const row = Math.floor(cell / sheet.columns);
      context.strokeRect(column * sheet.cellWidth * z + 1, row * sheet.cellHeight * z + 1, sheet.cellWidth * z - 2, sheet.cellHeight * z - 2);
    }
  }
}

const FirstHeads: Record<Sides["kind"], string> = {
  header: "Field", text: "Index", operators: "MCC", font: "Field", none: "",
};

/** Both sides of the node into host; false when the node has nothing to show side by side. */
export function showSides(host: HTMLElement, id: number): boolean {
  const sides = core.sides(id);
  clear(host);
  if (sides.kind === "none") return false;
  host.dataset.panel = "compare";
  host.append(el("h2", { class: "panel-title" }, "Comparison"));
  const header = sides.header ?? (sides.kind === "header" ? sides.rows : []);
  if (header.length) host.append(sideTable(header, "Field", "compare-header"));
  if (sides.kind === "text" || sides.kind === "operators") {
    const counts = el("div", { class: "compare-counts", id: "compare-counts" });
    counts.textContent = sides.counts;
    host.append(counts, sideTable(sides.rows, FirstHeads[sides.kind], "compare-list"));
  } else if (sides.kind === "font" && sides.secondId !== undefined) {
    host.append(el("div", { class: "compare-fonts" },
      fontSide(id, sides.cells ?? [], "First image"), fontSide(sides.secondId, sides.cells2 ?? [], "Second image")));
  }
  return true;
}
