// The log: the loader's messages in the viewer's columns (Kind, ID, Message, Path), each of
// the five kinds shown or hidden by its toggle (kept between visits), copy of the selected
// or all rows and export to a text file, as the viewer writes them.
import type { LogKind, LogRecord } from "./core-api";
import { core } from "./core";
import { copyText, download, el, status } from "./dom";
import { isBoolArray, readSetting, writeSetting } from "./settings";
import { VirtualList } from "./virtual";

const RowHeight = 18;

/** Lines joined as the viewer's copy and export write them: CR LF after each. */
export function crlfLines(text: string): string {
  if (text === "") return "";
  const lines = text.replace(/\r\n/g, "\n").replace(/\n$/, "").split("\n");
  return lines.map((line) => line + "\r\n").join("");
}

export class LogView {
  private records: LogRecord[] = [];
  private shownRows: LogRecord[] = [];
  private next = 0;
  private kinds: LogKind[] = [];
  private picked = new Set<number>();
  private anchor = -1;
  private readonly list: VirtualList;
  private readonly toggles: HTMLElement;
  private readonly countLine: HTMLElement;
  /** A record was activated (double click, Enter): its node is wanted. */
  onActivate: (record: LogRecord) => void = () => {};

  constructor(host: HTMLElement) {
    this.list = new VirtualList({
      rowHeight: RowHeight,
      rowClass: "log-row",
      render: (row, index) => this.renderRow(row, index),
      onClick: (index, event) => this.pick(index, event),
    });
    this.list.element.id = "log-list";
    this.toggles = el("span", { class: "kind-toggles", role: "group", "aria-label": "Message kinds" });
    this.countLine = el("span", { class: "log-count" });
    const button = (text: string, title: string, action: () => void, id: string) => {
      const b = el("button", { type: "button", title, id }, text);
      b.addEventListener("click", action);
      return b;
    };
    const bar = el("div", { class: "toolbar" },
      this.toggles,
      button("Copy", "Copy selected log items to clipboard", () => void this.copy(true), "log-copy"),
      button("Copy all to clipboard", "Copy all log messages to clipboard", () => void this.copy(false), "log-copy-all"),
      button("Export all to file...", "Save all log messages to text file", () => this.save(), "log-export"),
      button("Clear", "Delete all log messages", () => this.clear(), "log-clear"),
      this.countLine);
    const head = el("div", { class: "table-head log-head" },
      el("span", { class: "l-kind" }, "Kind"), el("span", { class: "l-id" }, "ID"),
      el("span", { class: "l-text" }, "Message"), el("span", { class: "l-path" }, "Path"));
    host.append(bar, head, this.list.element);
    this.list.element.addEventListener("dblclick", (event) => {
      const row = (event.target as HTMLElement).closest<HTMLElement>("[data-row]");
      const record = row ? this.shownRows[Number(row.dataset.row)] : undefined;
      if (record) this.onActivate(record);
    });
    this.list.element.addEventListener("keydown", (event) => {
      if (event.key === "Enter" && this.anchor >= 0 && this.shownRows[this.anchor]) {
        this.onActivate(this.shownRows[this.anchor]);
      } else if ((event.ctrlKey || event.metaKey) && event.key.toLowerCase() === "c") {
        event.preventDefault();
        void this.copy(true);
      } else if ((event.ctrlKey || event.metaKey) && event.key.toLowerCase() === "a") {
        event.preventDefault();
        this.picked = new Set(this.shownRows.map((r) => r.index));
        this.restyle();
      }
    });
  }

  /** The core is loaded: the kinds and their stored toggles. */
  init(): void {
    this.kinds = core.kinds();
    const stored = readSetting("logKinds", this.kinds.map(() => true), isBoolArray);
    this.kinds.forEach((kind, i) => {
      const shown = stored[i] ?? true;
      if (shown !== kind.shown) core.setKindShown(kind.kind, shown);
      kind.shown = shown;
    });
    this.toggles.replaceChildren();
    for (const kind of this.kinds) {
      const b = el("button", {
        type: "button", class: `kind-toggle kind-${kind.kind}`, "data-kind": String(kind.kind),
        "aria-pressed": String(kind.shown), title: `Switch displaying ${kind.name} messages`,
      });
      b.append(el("span", { class: "tag" }, kind.tag), " ", kind.name);
      b.addEventListener("click", () => this.setShown(kind.kind, !this.isShown(kind.kind)));
      this.toggles.append(b);
    }
  }

  isShown(kind: number): boolean {
    return this.kinds.find((k) => k.kind === kind)?.shown ?? true;
  }

  setShown(kind: number, shown: boolean): void {
    const entry = this.kinds.find((k) => k.kind === kind);
    if (!entry) return;
    entry.shown = shown;
    core.setKindShown(kind, shown);
    writeSetting("logKinds", this.kinds.map((k) => k.shown));
    this.toggles.querySelector(`[data-kind="${kind}"]`)?.setAttribute("aria-pressed", String(shown));
    this.reload();
  }

  /** Reads the records the core logged since the last look. */
  poll(): void {
    const chunk = core.log(this.next);
    if (chunk.next < this.next) {
      this.reload();  // the core's log was cleared (a new open)
      return;
    }
    if (!chunk.records.length) {
      this.next = chunk.next;
      return;
    }
    this.records.push(...chunk.records);
    this.next = chunk.next;
    this.filter();
  }

  /** Everything again from the first record (an open, a kind toggled). */
  reload(): void {
    const chunk = core.log(0);
    this.records = chunk.records;
    this.next = chunk.next;
    this.picked.clear();
    this.anchor = -1;
    this.filter();
  }

  private filter(): void {
    this.shownRows = this.records.filter((r) => this.isShown(r.kind));
    this.countLine.textContent = `${this.shownRows.length} of ${this.records.length}`;
    this.list.setCount(this.shownRows.length);
  }

  private renderRow(row: HTMLElement, index: number): void {
    const r = this.shownRows[index];
    row.dataset.kind = String(r.kind);
    row.classList.toggle("selected", this.picked.has(r.index));
    const kind = this.kinds.find((k) => k.kind === r.kind);
    const cells: [string, string][] = [
      ["l-kind", kind ? kind.name : String(r.kind)], ["l-id", String(r.ident)], ["l-text", r.text], ["l-path", r.path],
    ];
    for (const [cls, text] of cells) {
      const cell = el("span", { class: cls });
      cell.textContent = text;
      row.append(cell);
    }
    row.title = r.path;  // the full path, whatever the column's width
  }

  private pick(index: number, event: MouseEvent): void {
    const r = this.shownRows[index];
    if (!r) return;
    if (event.shiftKey && this.anchor >= 0) {
      const [a, b] = [Math.min(this.anchor, index), Math.max(this.anchor, index)];
      this.picked = new Set(this.shownRows.slice(a, b + 1).map((x) => x.index));
    } else if (event.ctrlKey || event.metaKey) {
      if (this.picked.has(r.index)) this.picked.delete(r.index);
      else this.picked.add(r.index);
      this.anchor = index;
    } else {
      this.picked = new Set([r.index]);
      this.anchor = index;
    }
    this.restyle();
  }

  /** The picked rows' mark on the rows shown (the rows themselves stay, so a double click's
   *  second click lands on the row of its first). */
  private restyle(): void {
    this.list.forEachShown((row, index) => row.classList.toggle("selected", this.picked.has(this.shownRows[index]?.index)));
  }

  /** Picks the record and shows its row (Next problem's record); false when it is hidden. */
  selectRecord(index: number): boolean {
    const at = this.shownRows.findIndex((r) => r.index === index);
    if (at < 0) return false;
    this.picked = new Set([index]);
    this.anchor = at;
    this.list.scrollToRow(at);
    this.restyle();
    return true;
  }

  /** The lines of the selected (or all shown) records, as the viewer copies them. */
  text(selectedOnly: boolean): string {
    const rows = selectedOnly ? this.shownRows.filter((r) => this.picked.has(r.index)) : this.shownRows;
    if (!rows.length) return "";
    return crlfLines(core.logLines(rows.map((r) => r.index)));
  }

  private async copy(selectedOnly: boolean): Promise<void> {
    const text = this.text(selectedOnly);
    await copyText(text);
    status(text ? "Copied to the clipboard." : "Nothing to copy.");
  }

  private save(): void {
    download("kavex-log.txt", this.text(false), "text/plain;charset=utf-8");
  }

  private clear(): void {
    core.clearLog();
    this.reload();
  }
}
