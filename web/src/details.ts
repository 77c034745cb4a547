// The detail panel: the node's labelled values as the viewer shows them, then the text
// table, the operator list or the font picture. Every text comes from the core.
import type { Details } from "./core-api";
import { core } from "./core";
import { showSides } from "./compare";
import { clear, el } from "./dom";
import { FontPicture } from "./font";
import { VirtualList } from "./virtual";

export const TableRowHeight = 20;

/** A two-column virtual table (Index/Entry, MCC/Provider). */
export function twoColumnTable(
  heads: [string, string],
  count: number,
  cell: (index: number) => [string, string],
  className: string,
): { element: HTMLElement; list: VirtualList } {
  const list = new VirtualList({
    rowHeight: TableRowHeight,
    rowClass: "table-row",
    render: (row, index) => {
      const [a, b] = cell(index);
      const first = el("span", { class: "c1" });
      first.textContent = a;
      const second = el("span", { class: "c2" });
      second.textContent = b;
      row.append(first, second);
    },
    onClick: (index) => list.setSelected(index),
    onKeyMove: () => {},
  });
  list.element.classList.add(className);
  const head = el("div", { class: "table-head" }, el("span", { class: "c1" }, heads[0]), el("span", { class: "c2" }, heads[1]));
  const element = el("div", { class: "table" }, head, list.element);
  list.setCount(count);
  return { element, list };
}

function labelled(rows: { label: string; value: string }[]): HTMLElement {
  const table = el("dl", { class: "values" });
  for (const row of rows) {
    const dt = el("dt");
    dt.textContent = row.label;
    const dd = el("dd");
    dd.textContent = row.value;
    table.append(dt, dd);
  }
  return table;
}

export class DetailPanel {
  private font: FontPicture | undefined;
  private list: VirtualList | undefined;
  shown: Details | undefined;

  constructor(private readonly host: HTMLElement) {}

  /** Both sides of a changed node (while comparing); false when it has none to show. */
  showSides(id: number): boolean {
    this.show(undefined);
    if (showSides(this.host, id)) return true;
    this.show(id);
    return false;
  }

  show(id: number | undefined): void {
    this.font?.dispose();
    this.font = undefined;
    this.list = undefined;
    clear(this.host);
    this.shown = undefined;
    if (id === undefined) return;
    const d = core.details(id);
    this.shown = d;
    this.host.dataset.panel = d.panel;
    const title = el("h2", { class: "panel-title" });
    title.textContent = d.title;
    this.host.append(title, labelled(d.rows));
    if (d.listTitle) {
      const list = el("h3", { class: "list-title" });
      list.textContent = d.listTitle;
      this.host.append(list);
    }
    if (d.text) {
      const rows = d.text.rows;
      this.host.append(labelled([
        { label: "Language:", value: d.text.language },
        { label: "Charset:", value: d.text.charset },
      ]));
      const t = twoColumnTable(["Index", "Entry"], rows.length, (i) => [rows[i].index, rows[i].entry], "text-table");
      this.list = t.list;
      this.host.append(t.element);
    } else if (d.operators) {
      const rows = d.operators;
      const t = twoColumnTable(["MCC", "Provider"], rows.length, (i) => [rows[i].mcc, rows[i].provider], "operator-table");
      this.list = t.list;
      this.host.append(t.element);
    } else if (d.font) {
      this.font = new FontPicture(id, d.font.cellWidth);
      this.host.append(this.font.element);
      this.font.draw();
    }
    if (d.place) {
      const place = el("div", { class: "place" });
      place.textContent = d.place;
      this.host.append(place);
    }
  }

  /** Shows and marks a row of the text table or operator list (a Find hit). */
  selectRow(row: number): void {
    if (!this.list || row < 0 || row >= this.list.length) return;
    this.list.setSelected(row);
    this.list.scrollToRow(row);
  }
}
