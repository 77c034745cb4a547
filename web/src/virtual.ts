// A virtual list: rows of one fixed height, of which only those on screen (and a few around)
// are in the DOM. The owner says how many rows there are and how to fill one.

export interface VirtualListOptions {
  rowHeight: number;
  /** Fills the row element for index (called for rows coming into view). */
  render: (row: HTMLElement, index: number) => void;
  /** A class for every row element. */
  rowClass?: string;
  onClick?: (index: number, event: MouseEvent) => void;
  /** Up/Down/PageUp/PageDown/Home/End move the marked row; called with the new one. */
  onKeyMove?: (index: number) => void;
}

const Overscan = 8;

export class VirtualList {
  readonly element: HTMLDivElement;
  private readonly spacer: HTMLDivElement;
  private count = 0;
  private shown = new Map<number, HTMLElement>();
  private scheduled = false;
  private marked = -1;
  private scrollTarget: { index: number; where: "start" | "center" } | undefined;

  constructor(private readonly options: VirtualListOptions) {
    this.element = document.createElement("div");
    this.element.className = "vlist";
    this.element.tabIndex = 0;
    this.spacer = document.createElement("div");
    this.spacer.className = "vlist-spacer";
    this.element.append(this.spacer);
    this.element.addEventListener("scroll", () => this.schedule());
    new ResizeObserver(() => this.schedule()).observe(this.element);
    if (options.onKeyMove) this.element.addEventListener("keydown", (event) => this.keyMove(event));
    if (options.onClick) {
      this.element.addEventListener("click", (event) => {
        const row = (event.target as HTMLElement).closest<HTMLElement>("[data-row]");
        if (row) options.onClick?.(Number(row.dataset.row), event);
      });
    }
  }

  get length(): number {
    return this.count;
  }

  /** A new row count; every row is filled again. */
  setCount(count: number): void {
    this.count = count;
    this.spacer.style.height = `${count * this.options.rowHeight}px`;
    this.refresh();
  }

  /** Fills every shown row again (the rows' content changed), at the next frame; the old
   *  rows go at once, so that none shows the content of another index meanwhile. */
  refresh(): void {
    for (const row of this.shown.values()) row.remove();
    this.shown.clear();
    this.schedule();
  }

  /** The marked row (-1 none); it keeps its mark while scrolled out and back. */
  get selected(): number {
    return this.marked;
  }

  setSelected(index: number): void {
    this.shown.get(this.marked)?.classList.remove("selected");
    this.marked = index;
    this.shown.get(index)?.classList.add("selected");
  }

  /** Brings the row into view at the next frame (centred when it is out of view). */
  scrollToRow(index: number, where: "start" | "center" = "center"): void {
    this.scrollTarget = { index, where };
    this.schedule();
  }

  private keyMove(event: KeyboardEvent): void {
    if (!this.count) return;
    const page = Math.max(1, Math.floor((this.element.clientHeight || 400) / this.options.rowHeight) - 1);
    const at = this.marked;
    const steps: Record<string, number> = {
      ArrowDown: at + 1, ArrowUp: at - 1, PageDown: at + page, PageUp: at - page, Home: 0, End: this.count - 1,
    };
    if (!(event.key in steps)) return;
    event.preventDefault();
    const next = Math.min(this.count - 1, Math.max(0, at < 0 ? 0 : steps[event.key]));
    this.setSelected(next);
    this.scrollToRow(next);
    this.options.onKeyMove?.(next);
  }

  /** Does the waiting work now (the bench's measure of a drawn tree). */
  flush(): void {
    if (!this.scheduled) return;
    this.update();
  }

  /** Calls fn for every row now in the DOM (to restyle rows without filling them again). */
  forEachShown(fn: (row: HTMLElement, index: number) => void): void {
    for (const [index, row] of this.shown) fn(row, index);
  }

  /** The rows now in the DOM (for tests and finding a row element). */
  rowElement(index: number): HTMLElement | undefined {
    return this.shown.get(index);
  }

  // Every change waits for the next frame: the list's size and scroll place are read once a
  // frame, never between the page's DOM changes (which would lay the page out each time).
  private schedule(): void {
    if (this.scheduled) return;
    this.scheduled = true;
    requestAnimationFrame(() => {
      if (!this.scheduled) return;  // done already by flush()
      this.update();
    });
  }

  private update(): void {
    this.scheduled = false;
    const h = this.options.rowHeight;
    const view = this.element.clientHeight || 400;
    if (this.scrollTarget) {
      const { index, where } = this.scrollTarget;
      this.scrollTarget = undefined;
      const top = index * h;
      if (where === "start") this.element.scrollTop = top;
      else if (top < this.element.scrollTop || top + h > this.element.scrollTop + view)
        this.element.scrollTop = Math.max(0, top - (view - h) / 2);
    }
    const first = Math.max(0, Math.floor(this.element.scrollTop / h) - Overscan);
    const last = Math.min(this.count, Math.ceil((this.element.scrollTop + view) / h) + Overscan);
    for (const [index, row] of this.shown) {
      if (index < first || index >= last) {
        row.remove();
        this.shown.delete(index);
      }
    }
    for (let index = first; index < last; ++index) {
      if (this.shown.has(index)) continue;
      const row = document.createElement("div");
      row.className = this.options.rowClass ? `vrow ${this.options.rowClass}` : "vrow";
      row.dataset.row = String(index);
      row.style.top = `${index * h}px`;
      row.style.height = `${h}px`;
      if (index === this.marked) row.classList.add("selected");
      this.options.render(row, index);
      this.element.append(row);
      this.shown.set(index, row);
    }
  }
}
