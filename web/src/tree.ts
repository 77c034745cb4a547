// The image tree: lazy like the viewer's (a node's children are built when it is first
// opened; a node that turns out to have none stays closed), flattened into one virtual list
// so that an image opened whole ("*") keeps only the rows on screen in the DOM.
//
// Keys: Up/Down/Home/End/PageUp/PageDown move; Right opens (or goes to the first child),
// Left closes (or goes to the parent); Enter opens or closes; "+" opens, "-" closes, "*"
// opens everything below the node.
import type { NodeInfo } from "./core-api";
import { core } from "./core";
import { compareBadge, problemBadge } from "./badges";
import { el } from "./dom";
import { VirtualList } from "./virtual";

export class TreeNode {
  children: TreeNode[] | undefined;
  /** the children had before the last collapse (kept for the next opening) */
  asked: TreeNode[] | undefined;
  expanded = false;
  /** the generation of markers this info was read in */
  seen: number;
  constructor(public info: NodeInfo, readonly depth: number, readonly parent: TreeNode | undefined, gen: number) {
    this.seen = gen;
  }
}

const RowHeight = 20;

export class Tree {
  readonly list: VirtualList;
  private root: TreeNode | undefined;
  private rows: TreeNode[] = [];
  private current = -1;
  private generation = 0;
  private byId = new Map<number, TreeNode>();
  onSelect: (node: TreeNode | undefined) => void = () => {};
  /** The core built nodes (the log and the problem counts may have grown). */
  onBuilt: () => void = () => {};

  constructor(host: HTMLElement) {
    this.list = new VirtualList({
      rowHeight: RowHeight,
      rowClass: "tree-row",
      render: (row, index) => this.renderRow(row, index),
      onClick: (index, event) => {
        const toggle = (event.target as HTMLElement).closest(".twisty");
        if (toggle) this.toggle(this.rows[index]);
        this.select(index);
      },
    });
    this.list.element.id = "tree";
    this.list.element.setAttribute("role", "tree");
    this.list.element.addEventListener("dblclick", (event) => {
      const row = (event.target as HTMLElement).closest<HTMLElement>("[data-row]");
      if (row && !(event.target as HTMLElement).closest(".twisty")) this.toggle(this.rows[Number(row.dataset.row)]);
    });
    this.list.element.addEventListener("keydown", (event) => this.key(event));
    host.append(this.list.element);
  }

  /** A new image (or none). */
  reset(root: NodeInfo | undefined): void {
    this.byId.clear();
    this.root = root ? this.make(root, 0, undefined) : undefined;
    this.current = -1;
    this.list.setSelected(-1);
    this.relayout();
    if (this.root) {
      // As the viewer opens an image: the root and each of its areas open.
      this.fetch(this.root);
      this.root.expanded = (this.root.children?.length ?? 0) > 0;
      for (const area of this.root.children ?? []) {
        this.fetch(area);
        area.expanded = (area.children?.length ?? 0) > 0;
      }
      this.relayout();
      this.select(0);
    } else {
      this.onSelect(undefined);
    }
  }

  /** Markers may have changed (a build, a comparison): rows read their node again when shown. */
  refreshMarkers(): void {
    ++this.generation;
    this.list.refresh();
  }

  /** The same image, its children lists changed (a comparison began or ended): read it again,
   *  keeping the open nodes and the selection where they still are. */
  reload(): void {
    if (!this.root) return;
    const open = new Set<number>();
    for (const node of this.byId.values()) if (node.expanded) open.add(node.info.id);
    const selected = this.selected()?.info.id;
    this.byId.clear();
    this.root = this.make(core.node(this.root.info.id), 0, undefined);
    const reopen = (node: TreeNode): void => {
      if (!open.has(node.info.id)) return;
      this.fetch(node);
      node.expanded = (node.children?.length ?? 0) > 0;
      for (const child of node.children ?? []) reopen(child);
    };
    reopen(this.root);
    this.relayout();
    const at = selected !== undefined ? this.rows.findIndex((n) => n.info.id === selected) : -1;
    this.current = -1;
    this.select(at >= 0 ? at : 0);
  }

  /** The number of rows the tree shows now. */
  get rowCount(): number {
    return this.rows.length;
  }

  selected(): TreeNode | undefined {
    return this.rows[this.current];
  }

  /** Selects the node at the end of path (ids from the root), opening the nodes above it. */
  selectPath(path: number[]): boolean {
    if (!this.root || path.length === 0 || path[0] !== this.root.info.id) return false;
    let node = this.root;
    for (const id of path.slice(1)) {
      this.fetch(node);
      const next = node.children?.find((c) => c.info.id === id);
      if (!next) return false;
      if (node.children && node.children.length) node.expanded = true;
      node = next;
    }
    this.relayout();
    this.select(this.rows.indexOf(node));
    return true;
  }

  /** Selects the built node whose log path is path (a log record's), as the viewer's log
   *  does on activating a record: down the built nodes whose path begins it; nothing is built. */
  selectByLogPath(path: string): boolean {
    const pending: TreeNode[] = this.root ? [this.root] : [];
    while (pending.length) {
      const node = pending.pop()!;
      if (node.info.path === path) {
        const ids: number[] = [];
        for (let at: TreeNode | undefined = node; at; at = at.parent) ids.unshift(at.info.id);
        return this.selectPath(ids);
      }
      if (!path.startsWith(node.info.path)) continue;
      const below = node.children ?? node.asked ?? [];
      for (let i = below.length; i-- > 0;) pending.push(below[i]);
    }
    return false;
  }

  focus(): void {
    this.list.element.focus();
  }

  private make(info: NodeInfo, depth: number, parent: TreeNode | undefined): TreeNode {
    const node = new TreeNode(info, depth, parent, this.generation);
    this.byId.set(info.id, node);
    return node;
  }

  private fetch(node: TreeNode): void {
    if (node.children || !node.info.hasChildren) return;
    // Building may find problems: every row shown reads its marker again, but for the new
    // rows, whose infos come after the build.
    ++this.generation;
    // A node asked again (after a collapse) keeps the rows it had, with their own state.
    const had = new Map((node.asked ?? []).map((child) => [child.info.id, child]));
    node.children = core.children(node.info.id).map((info) => {
      const old = had.get(info.id);
      if (old) {
        old.info = info;
        return old;
      }
      return this.make(info, node.depth + 1, node);
    });
    node.asked = undefined;
    this.onBuilt();
  }

  private expand(node: TreeNode): void {
    if (!node.info.hasChildren) return;
    this.fetch(node);
    node.expanded = (node.children?.length ?? 0) > 0;  // nothing to open: it stays as it was
    this.relayout();
  }

  private collapse(node: TreeNode): void {
    if (!node.expanded) return;
    node.expanded = false;
    // As the viewer's tree: the next opening asks the core again, which builds on where a
    // fetch that stopped at an error left off.
    core.collapsed(node.info.id);
    node.asked = node.children;
    node.children = undefined;
    this.relayout();
  }

  private toggle(node: TreeNode | undefined): void {
    if (!node) return;
    if (node.expanded) this.collapse(node);
    else this.expand(node);
  }

  /** Opens every node below node (the root when none): the "*" key. */
  expandAll(node: TreeNode | undefined = this.root): void {
    if (!node) return;
    const pending: TreeNode[] = [node];
    while (pending.length) {
      const next = pending.pop()!;
      if (!next.info.hasChildren) continue;
      this.fetch(next);
      next.expanded = (next.children?.length ?? 0) > 0;
      pending.push(...(next.children ?? []));
    }
    this.relayout();
  }

  /** While comparing: only the nodes that differ or hold a difference below them. */
  setOnlyDifferences(on: boolean): void {
    if (on === this.onlyDifferences) return;
    this.onlyDifferences = on;
    this.relayout();
  }

  private onlyDifferences = false;
  private marksShown = true;

  /** Shows or hides the problem badges ("Mark problems"). */
  setMarksShown(shown: boolean): void {
    if (shown === this.marksShown) return;
    this.marksShown = shown;
    this.list.refresh();
  }

  private relayout(): void {
    const keep = this.selected();
    this.rows = [];
    const walk = (node: TreeNode): void => {
      this.rows.push(node);
      if (!node.expanded) return;
      for (const child of node.children ?? []) {
        if (this.onlyDifferences && (child.info.compare ?? "none") === "none") continue;
        walk(child);
      }
    };
    if (this.root) walk(this.root);
    if (keep) {
      let at = this.rows.indexOf(keep);
      // A closed node hid the selection: its nearest shown ancestor takes it.
      for (let up = keep.parent; at < 0 && up; up = up.parent) at = this.rows.indexOf(up);
      const moved = this.current !== at;
      this.current = at;
      this.list.setSelected(at);
      if (moved) this.onSelect(this.selected());
    }
    this.list.setCount(this.rows.length);
  }

  private select(index: number): void {
    if (index < 0 || index >= this.rows.length) return;
    const changed = index !== this.current;
    this.list.rowElement(this.current)?.setAttribute("aria-selected", "false");
    this.current = index;
    this.list.setSelected(index);
    this.list.scrollToRow(index);
    this.list.rowElement(index)?.setAttribute("aria-selected", "true");
    if (changed) this.onSelect(this.selected());
  }

  private renderRow(row: HTMLElement, index: number): void {
    const node = this.rows[index];
    if (node.seen !== this.generation) {
      node.info = core.node(node.info.id);
      node.seen = this.generation;
    }
    const info = node.info;
    row.setAttribute("role", "treeitem");
    row.setAttribute("aria-level", String(node.depth + 1));
    row.setAttribute("aria-selected", String(index === this.current));
    if (info.hasChildren && !(node.children && node.children.length === 0))
      row.setAttribute("aria-expanded", String(node.expanded));
    row.dataset.id = String(info.id);
    row.dataset.position = info.position;
    row.dataset.kind = info.kind;
    row.classList.toggle("stand-in", info.standIn === true);
    row.style.paddingLeft = `${4 + node.depth * 16}px`;
    const open = info.hasChildren && !(node.children && node.children.length === 0);
    const twisty = el("span", { class: "twisty" }, open ? (node.expanded ? "\u25BE" : "\u25B8") : "");
    const icon = el("span", { class: `icon icon-${info.icon}`, "aria-hidden": "true" });
    const caption = el("span", { class: "caption" });
    caption.textContent = info.caption;
    row.append(twisty, icon);
    const problem = this.marksShown ? problemBadge(info.problem) : null;
    if (problem) row.append(problem);
    const mark = compareBadge(info.compare);
    if (mark) row.append(mark);
    row.append(caption);
  }

  private key(event: KeyboardEvent): void {
    const node = this.selected();
    const page = Math.max(1, Math.floor(this.list.element.clientHeight / RowHeight) - 1);
    let handled = true;
    switch (event.key) {
      case "ArrowDown": this.select(this.current + 1); break;
      case "ArrowUp": this.select(this.current - 1); break;
      case "Home": this.select(0); break;
      case "End": this.select(this.rows.length - 1); break;
      case "PageDown": this.select(Math.min(this.rows.length - 1, this.current + page)); break;
      case "PageUp": this.select(Math.max(0, this.current - page)); break;
      case "ArrowRight":
        if (node && node.expanded) this.select(this.current + 1);
        else if (node) this.expand(node);
        break;
      case "ArrowLeft":
        if (node && node.expanded) this.collapse(node);
        else if (node?.parent) this.select(this.rows.indexOf(node.parent));
        break;
      case "Enter": this.toggle(node); break;
      case "+": if (node) this.expand(node); break;
      case "-": if (node) this.collapse(node); break;
      case "*": if (node) this.expandAll(node); break;
      default: handled = false;
    }
    if (handled) event.preventDefault();
  }
}
