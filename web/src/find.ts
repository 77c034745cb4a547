// Find: a word across the text tables (and, when asked, operator and tone names), the hits
// in the viewer's columns (Table, Entry, Text); a hit selects its node and row.
import type { FindHit } from "./core-api";
import { core } from "./core";
import { el } from "./dom";
import { VirtualList } from "./virtual";

const RowHeight = 18;

/** "1 hit", "N hits", as the viewer counts them. */
export function hitCount(count: number): string {
  return count === 1 ? "1 hit" : `${count} hits`;
}

/** The hit's text with the word marked (where the core says it is). */
export function markedText(hit: FindHit): HTMLElement {
  const cell = el("span", { class: "f-text" });
  const start = hit.matchStart ?? -1;
  const length = hit.matchLength ?? 0;
  if (start < 0 || length <= 0 || start + length > hit.text.length) {
    cell.textContent = hit.text;
    return cell;
  }
  const word = el("mark");
  word.textContent = hit.text.slice(start, start + length);
  cell.append(hit.text.slice(0, start), word, hit.text.slice(start + length));
  return cell;
}

export class FindView {
  private hits: FindHit[] = [];
  private readonly list: VirtualList;
  readonly input: HTMLInputElement;
  private readonly operators: HTMLInputElement;
  private readonly tones: HTMLInputElement;
  private readonly matchCase: HTMLInputElement;
  private readonly count: HTMLElement;
  onHit: (hit: FindHit) => void = () => {};
  onSearched: () => void = () => {};

  constructor(host: HTMLElement) {
    this.input = el("input", { type: "search", id: "find-text", placeholder: "Word to find in the text tables", "aria-label": "Find" });
    const box = (id: string, text: string) => {
      const input = el("input", { type: "checkbox", id });
      return [input, el("label", { for: id }, text)] as const;
    };
    const [operators, operatorsLabel] = box("find-operators", "Operator names");
    const [tones, tonesLabel] = box("find-tones", "Tone names");
    const [matchCase, matchCaseLabel] = box("find-case", "Match case");
    this.operators = operators;
    this.tones = tones;
    this.matchCase = matchCase;
    const go = el("button", { type: "button", id: "find-go" }, "Find");
    go.addEventListener("click", () => this.search());
    this.input.addEventListener("keydown", (event) => {
      if (event.key === "Enter") this.search();
    });
    this.count = el("span", { class: "find-count", id: "find-count" });
    this.list = new VirtualList({
      rowHeight: RowHeight,
      rowClass: "find-row",
      render: (row, index) => {
        const hit = this.hits[index];
        for (const [cls, text] of [["f-table", hit.table], ["f-entry", hit.entry]]) {
          const cell = el("span", { class: cls });
          cell.textContent = text;
          row.append(cell);
        }
        row.append(markedText(hit));
      },
      onClick: (index) => this.go(index),
      onKeyMove: (index) => this.go(index),
    });
    this.list.element.id = "find-list";
    const head = el("div", { class: "table-head find-head" },
      el("span", { class: "f-table" }, "Table"), el("span", { class: "f-entry" }, "Entry"), el("span", { class: "f-text" }, "Text"));
    host.append(
      el("div", { class: "toolbar" }, this.input, go, operators, operatorsLabel, tones, tonesLabel, matchCase, matchCaseLabel, this.count),
      head, this.list.element);
  }

  search(): void {
    const text = this.input.value;
    if (!text.trim()) return;
    const result = core.find(text, this.operators.checked, this.tones.checked, this.matchCase.checked);
    this.hits = result.hits;
    this.count.textContent = result.message ?? hitCount(this.hits.length);
    this.list.setSelected(-1);
    this.list.setCount(this.hits.length);
    this.list.scrollToRow(0, "start");
    this.onSearched();
    if (this.hits.length) this.go(0);
  }

  /** The next (+1) or previous (-1) hit from the picked one. */
  step(by: number): void {
    if (!this.hits.length) return;
    const at = this.list.selected;
    const next = at < 0 ? (by > 0 ? 0 : this.hits.length - 1) : (at + by + this.hits.length) % this.hits.length;
    this.go(next);
  }

  reset(): void {
    this.hits = [];
    this.count.textContent = "";
    this.list.setSelected(-1);
    this.list.setCount(0);
  }

  private go(index: number): void {
    const hit = this.hits[index];
    if (!hit) return;
    this.list.setSelected(index);
    this.list.scrollToRow(index);
    this.onHit(hit);
  }
}
