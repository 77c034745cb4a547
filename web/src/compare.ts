// Comparing with a second image: the core compares both whole; the tree marks what differs
// (the badges), next/previous difference walks the marks, and a changed node shows both
// sides next to each other (changed runs of a text marked).
import type { CompareResult, SideRun, Sides } from "./core-api";
import { core } from "./core";
import { clear, el } from "./dom";
import { VirtualList } from "./virtual";

const RowHeight = 20;

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

const FirstHeads: Record<Sides["kind"], string> = {
  header: "Field", text: "Index", operators: "MCC", font: "Index", none: "",
};

/** Both sides of the node into host; false when the node has nothing to show side by side. */
export function showSides(host: HTMLElement, id: number): boolean {
  const sides = core.sides(id);
  clear(host);
  if (sides.kind === "none") return false;
  host.dataset.panel = "compare";
  const counts = el("div", { class: "compare-counts", id: "compare-counts" });
  counts.textContent = sides.counts;
  const list = new VirtualList({
    rowHeight: RowHeight,
    rowClass: "side-row",
    render: (row, index) => {
      const r = sides.rows[index];
      const sign = el("span", { class: "s-sign" });
      sign.textContent = r.sign;
      const change = el("span", { class: "s-change" });
      change.textContent = r.change;
      const left = el("span", { class: "s-left" });
      runs(left, r.left, r.leftRuns);
      const right = el("span", { class: "s-right" });
      runs(right, r.right, r.rightRuns);
      row.dataset.sign = r.sign;
      row.append(sign, change, left, right);
    },
  });
  list.element.classList.add("sides");
  const head = el("div", { class: "table-head side-head" },
    el("span", { class: "s-sign" }, ""), el("span", { class: "s-change" }, FirstHeads[sides.kind]),
    el("span", { class: "s-left" }, "First"), el("span", { class: "s-right" }, "Second"));
  host.append(el("h2", { class: "panel-title" }, "Comparison"), counts, el("div", { class: "table" }, head, list.element));
  list.setCount(sides.rows.length);
  return true;
}
