// The bytes view: the selected node's stored bytes, 16 a row, read from the core a page of
// rows at a time for the rows on screen; the node's header bytes tinted; a byte range picked
// by click and shift-click, copied as hex; "Go to offset" selects the node holding an offset
// of the image and shows its row.
import type { BytesRows } from "./core-api";
import { core } from "./core";
import { copyText, el, status } from "./dom";
import { VirtualList } from "./virtual";

const RowHeight = 18;
const PageRows = 64;  // a few screens: the core formats each page's rows afresh
export const BytesPerRow = 16;

/** The number of rows for size bytes. */
export function rowCount(size: number): number {
  return Math.ceil(Math.max(0, size) / BytesPerRow);
}

/** The row and column of image offset `at` in a view of a node starting at `base`, or
 *  undefined when the node has no byte there. */
export function cellOf(at: number, base: number, size: number): { row: number; column: number } | undefined {
  const rel = at - base;
  if (!Number.isInteger(rel) || rel < 0 || rel >= size) return undefined;
  return { row: Math.floor(rel / BytesPerRow), column: rel % BytesPerRow };
}

export class BytesView {
  private id: number | undefined;
  private info: BytesRows | undefined;
  private pages = new Map<number, BytesRows>();
  private from = -1;
  private to = -1;
  private readonly list: VirtualList;
  private readonly head: HTMLElement;
  private readonly line: HTMLElement;

  constructor(host: HTMLElement) {
    this.list = new VirtualList({
      rowHeight: RowHeight,
      rowClass: "bytes-row",
      render: (row, index) => this.renderRow(row, index),
      onClick: (index, event) => this.pick(index, event),
    });
    this.list.element.id = "bytes-list";
    this.head = el("div", { class: "table-head bytes-head" });
    this.line = el("span", { class: "bytes-line", id: "bytes-line" });
    const copy = el("button", { type: "button", id: "bytes-copy-hex", title: "Copy the picked bytes as hex" }, "Copy as hex");
    copy.addEventListener("click", () => void this.copyHex());
    host.append(el("div", { class: "toolbar" }, copy, this.line), this.head, this.list.element);
  }

  show(id: number | undefined): void {
    this.id = id;
    this.pages.clear();
    this.from = this.to = -1;
    this.info = id === undefined ? undefined : core.bytesRows(id, 0, 0);
    const withAddress = (this.info?.flashBase ?? -1) >= 0;
    this.head.replaceChildren(el("span", { class: "b-offset" }, "Offset"));
    if (withAddress) this.head.append(el("span", { class: "b-offset" }, "Address"));
    const hexHead = el("span", { class: "b-hex" });
    for (let i = 0; i < BytesPerRow; ++i) hexHead.append(el("span", { class: "b" }, i.toString(16).toUpperCase()));
    this.head.append(hexHead, el("span", { class: "b-text" }, "Text"));
    this.list.setCount(rowCount(this.info?.size ?? 0));
    this.list.scrollToRow(0, "start");
    this.describe();
  }

  /** Shows the row of image offset `at` (when the node holds it) and picks its byte. */
  showOffset(at: number): boolean {
    if (!this.info) return false;
    const cell = cellOf(at, this.info.offset, this.info.size);
    if (!cell) return false;
    const rel = at - this.info.offset;
    this.from = this.to = rel;
    this.list.scrollToRow(cell.row, "center");
    this.list.refresh();
    this.describe();
    return true;
  }

  private page(row: number): BytesRows | undefined {
    if (this.id === undefined) return undefined;
    const first = Math.floor(row / PageRows) * PageRows;
    let page = this.pages.get(first);
    if (!page) {
      page = core.bytesRows(this.id, first, PageRows);
      if (this.pages.size > 256) this.pages.clear();
      this.pages.set(first, page);
    }
    return page;
  }

  private renderRow(row: HTMLElement, index: number): void {
    const page = this.page(index);
    const data = page?.rows[index % PageRows];
    if (!page || !data || !this.info) return;
    const parts = data.address !== undefined ? [data.offset, data.address] : [data.offset];
    for (const part of parts) {
      const cell = el("span", { class: "b-offset" });
      cell.textContent = part;
      row.append(cell);
    }
    const hex = el("span", { class: "b-hex" });
    const bytes = data.hex.split(" ").filter((b) => b.length);
    bytes.forEach((b, i) => {
      const rel = index * BytesPerRow + i;
      const cell = el("span", { class: "b", "data-at": String(rel) });
      cell.textContent = b;
      if (rel < this.info!.headerSize) cell.classList.add("header");
      if (this.from >= 0 && rel >= Math.min(this.from, this.to) && rel <= Math.max(this.from, this.to)) cell.classList.add("picked");
      hex.append(cell);
    });
    const text = el("span", { class: "b-text" });
    text.textContent = data.text;
    row.append(hex, text);
  }

  private pick(_index: number, event: MouseEvent): void {
    const cell = (event.target as HTMLElement).closest<HTMLElement>("[data-at]");
    if (!cell) return;
    const at = Number(cell.dataset.at);
    if (event.shiftKey && this.from >= 0) this.to = at;
    else this.from = this.to = at;
    this.list.refresh();
    this.describe();
  }

  private describe(): void {
    if (!this.info || this.id === undefined) {
      this.line.textContent = "";
      return;
    }
    if (this.from < 0) {
      this.line.textContent = `${this.info.size} bytes`;
      return;
    }
    const count = Math.abs(this.to - this.from) + 1;
    this.line.textContent = `${count} of ${this.info.size} bytes picked`;
  }

  /** The picked bytes (or the whole node when none are picked) as hex. */
  hexOfPick(): string {
    if (this.id === undefined || !this.info) return "";
    if (this.from < 0) return core.bytesHex(this.id, 0, this.info.size);
    const start = Math.min(this.from, this.to);
    return core.bytesHex(this.id, start, Math.abs(this.to - this.from) + 1);
  }

  private async copyHex(): Promise<void> {
    const hex = this.hexOfPick();
    await copyText(hex);
    status(hex ? "The bytes were copied as hex." : "No bytes to copy.");
  }
}
