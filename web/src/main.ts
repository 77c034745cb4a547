// The page: opening an image (file picker, dropping a file, the shipped sample, "#sample"),
// and the wiring of tree, detail panel, bytes view, log, Find, problems and comparison.
import type { NodeInfo } from "./core-api";
import { core, loadCore } from "./core";
import { BytesView } from "./bytes";
import { comparedLine, comparison, compareWith, forgetComparison, stopComparing } from "./compare";
import { DetailPanel } from "./details";
import { byId, download, status } from "./dom";
import { exportAll, exportFont, exportTable, saveBytes } from "./exports";
import { FindView } from "./find";
import { fontZoom, setFontZoom } from "./font";
import { splitter } from "./layout";
import { readSetting, writeSetting } from "./settings";
import { LogView } from "./log";
import { Tree } from "./tree";

const SampleUrl = "samples/kavex-sample.fls";
const SampleName = "kavex-sample.fls";
const OpenHint = "To open a flash image: Open..., drop a file here, or Open sample image.";

const tree = new Tree(byId("tree-pane"));
const details = new DetailPanel(byId("details"));
const bytes = new BytesView(byId("bytes"));
const log = new LogView(byId("log"));
const find = new FindView(byId("find"));
let shownName = "";
let shownCaption = "";  // the window caption the core gave for the open image
let ready = false;

function button(id: string, action: () => void): void {
  byId(id).addEventListener("click", () => run(action));
}

/** Runs a user's action; a fault of the page shows on the console and in the status line. */
function run(action: () => void | Promise<void>): void {
  try {
    const done = action();
    if (done instanceof Promise) done.catch(fault);
  } catch (error) {
    fault(error);
  }
}

function fault(error: unknown): void {
  console.error(error);
  status(`Something went wrong: ${error instanceof Error ? error.message : String(error)}`);
}

function selectedInfo(): NodeInfo | undefined {
  return tree.selected()?.info;
}

// The panels follow the selection once a frame: holding a key down in the tree, or opening an
// image, asks the core for the details of the last node only.
let pendingShow: { info: NodeInfo | undefined } | undefined;

function scheduleShow(info: NodeInfo | undefined): void {
  const first = pendingShow === undefined;
  pendingShow = { info };
  if (first) requestAnimationFrame(() => run(flushShow));
}

/** Shows the selected node's panels now, when a show is pending. */
function flushShow(): void {
  const pending = pendingShow;
  if (!pending) return;
  pendingShow = undefined;
  showNode(pending.info);
}

// The log and the problem counts are read once after a burst of work.
let looking = false;

function scheduleAfterWork(): void {
  if (looking) return;
  looking = true;
  setTimeout(() => {
    looking = false;
    run(afterWork);
  }, 0);
}

function afterWork(): void {
  log.poll();
  const p = core.problems();
  const line = byId("problems");
  line.textContent = p.errors || p.warnings ? p.count : "";
  line.classList.toggle("has-errors", p.errors > 0);
  line.classList.toggle("has-warnings", p.errors === 0 && p.warnings > 0);
  const marked = tree.rowCount > 0 && p.errors + p.warnings > 0;
  for (const id of ["next-problem", "prev-problem"]) byId<HTMLButtonElement>(id).disabled = !marked;
}

function showNode(info: NodeInfo | undefined): void {
  const comparingNow = comparison();
  const differs = comparingNow && info && info.compare && info.compare !== "none" && info.compare !== "below";
  if (differs && info) details.showSides(info.id);
  else details.show(info?.id);
  bytes.show(info?.id);
  for (const id of ["export-table", "export-font", "save-bytes"]) byId<HTMLButtonElement>(id).disabled = !info;
  byId<HTMLButtonElement>("export-table").disabled = details.shown?.panel !== "text";
  byId<HTMLButtonElement>("export-font").disabled = details.shown?.panel !== "font";
  scheduleAfterWork();
}

function setCaption(caption: string): void {
  document.title = caption || "Kavex";
}

function enableImageActions(open: boolean): void {
  for (const id of ["compare", "export-texts", "export-fonts", "export-all", "goto-go", "find-go"])
    byId<HTMLButtonElement>(id).disabled = !open;
  const c = comparison() !== undefined;
  for (const id of ["stop-comparing", "next-difference", "prev-difference", "export-comparison", "only-differences"])
    byId<HTMLButtonElement>(id).disabled = !c;
}

export function openBytes(data: Uint8Array, name: string): boolean {
  forgetComparison();
  byId<HTMLInputElement>("only-differences").checked = false;
  tree.setOnlyDifferences(false);
  find.reset();
  const result = core.open(data, name);
  shownName = name;
  shownCaption = result.caption;
  setCaption(result.caption);
  log.reload();
  if (!result.ok || !result.root) {
    tree.reset(undefined);
    // the core words the whole refusal, as the viewer shows it
    status(result.reason ?? `Could not show ${name}.`);
    enableImageActions(false);
    afterWork();
    return false;
  }
  tree.reset(result.root);
  status("");
  enableImageActions(true);
  scheduleAfterWork();
  tree.focus();
  return true;
}

async function openFile(file: File): Promise<void> {
  openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
}

export async function openSample(): Promise<boolean> {
  const response = await fetch(SampleUrl);
  if (!response.ok) {
    status(`The sample image ${SampleName} was not found.`);
    return false;
  }
  return openBytes(new Uint8Array(await response.arrayBuffer()), SampleName);
}

async function compareFile(file: File): Promise<void> {
  const result = compareWith(new Uint8Array(await file.arrayBuffer()), file.name);
  if (!result.ok) {
    status(result.reason ?? `Could not compare with ${file.name}.`);
  } else {
    setCaption(result.caption);
    status(comparedLine(comparison()!));
  }
  tree.reload();
  enableImageActions(true);
  afterWork();
}

function endComparison(): void {
  stopComparing();
  byId<HTMLInputElement>("only-differences").checked = false;
  tree.setOnlyDifferences(false);
  tree.reload();
  setCaption(shownCaption);
  status("");
  enableImageActions(true);
}

function stepTo(result: { path?: number[]; record?: number }, none: string): void {
  if (result.path && tree.selectPath(result.path)) {
    tree.focus();
    if (result.record !== undefined) log.selectRecord(result.record);
  } else {
    status(none);
  }
}

function goToOffset(): void {
  const input = byId<HTMLInputElement>("goto-text");
  const result = core.goToOffset(input.value);
  afterWork();
  if (!result.ok || !result.path) {
    status(result.message ?? "");
    return;
  }
  tree.selectPath(result.path);
  flushShow();
  if (result.offset !== undefined) bytes.showOffset(result.offset);
  status("");
}

function showTab(name: "log" | "find"): void {
  for (const tab of ["log", "find"]) {
    byId(`tab-${tab}`).setAttribute("aria-selected", String(tab === name));
    byId(tab).hidden = tab !== name;
  }
}

function wire(): void {
  const picker = byId<HTMLInputElement>("open-file");
  const comparePicker = byId<HTMLInputElement>("compare-file");
  button("open", () => picker.click());
  picker.addEventListener("change", () => {
    const file = picker.files?.[0];
    if (file) run(() => openFile(file));
    picker.value = "";
  });
  button("open-sample", () => {
    void openSample().catch(fault);
  });
  button("compare", () => comparePicker.click());
  comparePicker.addEventListener("change", () => {
    const file = comparePicker.files?.[0];
    if (file) run(() => compareFile(file));
    comparePicker.value = "";
  });
  button("stop-comparing", endComparison);
  const only = byId<HTMLInputElement>("only-differences");
  only.addEventListener("change", () => run(() => tree.setOnlyDifferences(only.checked && comparison() !== undefined)));
  button("next-difference", () => stepTo(core.nextDifference(selectedInfo()?.id ?? -1, 1), "No further difference."));
  button("prev-difference", () => stepTo(core.nextDifference(selectedInfo()?.id ?? -1, -1), "No further difference."));
  button("export-comparison", () => {
    const second = comparison()?.name ?? "second";
    const base = (n: string) => n.replace(/\.[^.]*$/, "");
    download(`${base(shownName)}-${base(second)}.html`, core.compareReportHtml(), "text/html;charset=utf-8");
  });
  button("next-problem", () => stepTo(core.nextProblem(selectedInfo()?.id ?? -1, 1), "No further problem."));
  button("prev-problem", () => stepTo(core.nextProblem(selectedInfo()?.id ?? -1, -1), "No further problem."));
  button("export-table", () => {
    const info = selectedInfo();
    if (info && !exportTable(info)) status("The selected node is not a text table.");
  });
  button("export-font", () => {
    const info = selectedInfo();
    if (info && !exportFont(info)) status("The selected node is not a font.");
  });
  const base = () => shownName.replace(/\.[^.]*$/, "") || "kavex";
  const zip = (which: "all" | "texts" | "fonts", what: string) => {
    const { count, notes } = exportAll(`${base()}-${which}.zip`, which);
    tree.refreshMarkers();
    afterWork();
    status([count ? `${count} files in the zip.` : `The image holds no ${what}; nothing was written.`, ...notes].join(" "));
  };
  button("export-texts", () => zip("texts", "text tables"));
  button("export-fonts", () => zip("fonts", "fonts"));
  button("export-all", () => zip("all", "text tables or fonts"));
  button("save-bytes", () => {
    const info = selectedInfo();
    if (info) status(`${saveBytes(info)} bytes saved.`);
  });
  button("goto-go", goToOffset);
  byId("goto-text").addEventListener("keydown", (event) => {
    if (event.key === "Enter") run(goToOffset);
  });
  button("zoom-in", () => setFontZoom(fontZoom() + 1));
  button("zoom-out", () => setFontZoom(fontZoom() - 1));
  button("tab-log", () => showTab("log"));
  button("problems", () => showTab("log"));
  const marks = byId<HTMLInputElement>("mark-problems");
  marks.checked = readSetting("markProblems", true, (v): v is boolean => typeof v === "boolean");
  tree.setMarksShown(marks.checked);
  marks.addEventListener("change", () => {
    writeSetting("markProblems", marks.checked);
    tree.setMarksShown(marks.checked);
  });
  button("tab-find", () => showTab("find"));

  tree.onSelect = (node) => scheduleShow(node?.info);
  tree.onBuilt = scheduleAfterWork;
  log.onActivate = (record) => {
    if (!tree.selectByLogPath(record.path)) status(`No node of ${record.path} is shown.`);
  };
  find.onSearched = () => {
    tree.refreshMarkers();
    afterWork();
  };
  find.onHit = (hit) => {
    if (!tree.selectPath(hit.path)) return;
    flushShow();
    details.selectRow(hit.row);
  };

  document.addEventListener("keydown", (event) => {
    const ctrl = event.ctrlKey || event.metaKey;
    const key = event.key;
    let handled = true;
    if (ctrl && key.toLowerCase() === "o" && !event.shiftKey) picker.click();
    else if (ctrl && key.toLowerCase() === "o" && event.shiftKey && ready) comparePicker.click();
    else if (ctrl && key.toLowerCase() === "f") {
      showTab("find");
      find.input.focus();
    } else if (ctrl && key.toLowerCase() === "g") byId("goto-text").focus();
    else if (ctrl && (key === "+" || key === "=")) setFontZoom(fontZoom() + 1);
    else if (ctrl && key === "-") setFontZoom(fontZoom() - 1);
    else if (key === "F3") run(() => find.step(event.shiftKey ? -1 : 1));
    else if (key === "F7") byId(event.shiftKey ? "prev-difference" : "next-difference").click();
    else if (key === "F8") byId(event.shiftKey ? "prev-problem" : "next-problem").click();
    else handled = false;
    if (handled) event.preventDefault();
  });

  // Dropping a file anywhere opens it.
  document.addEventListener("dragover", (event) => {
    event.preventDefault();
    if (event.dataTransfer) event.dataTransfer.dropEffect = "copy";
    document.body.classList.add("dropping");
  });
  document.addEventListener("dragleave", () => document.body.classList.remove("dropping"));
  document.addEventListener("drop", (event) => {
    event.preventDefault();
    document.body.classList.remove("dropping");
    const file = event.dataTransfer?.files[0];
    if (file && ready) run(() => openFile(file));
  });

  splitter({ name: "treeWidth", panel: byId("tree-pane"), handle: byId("split-tree"), direction: "horizontal", initial: 300 });
  splitter({ name: "bytesHeight", panel: byId("bytes"), handle: byId("split-bytes"), direction: "vertical", initial: 220, reversed: true });
  splitter({ name: "bottomHeight", panel: byId("bottom"), handle: byId("split-bottom"), direction: "vertical", initial: 200, reversed: true });
}

async function start(): Promise<void> {
  wire();
  showTab("log");
  enableImageActions(false);
  status("Loading...");
  await loadCore();
  ready = true;
  log.init();
  status(OpenHint);
  document.body.dataset.ready = "true";
  const openFromHash = () => {
    if (location.hash === "#sample") void openSample().catch(fault);
  };
  window.addEventListener("hashchange", openFromHash);
  openFromHash();
}

// For the page's tests and bench: the same steps a user's actions take.
declare global {
  interface Window {
    kavexPage?: {
      openBytes: typeof openBytes;
      openSample: typeof openSample;
      expandAll: () => number;
      drawTree: () => number;
    };
  }
}
window.kavexPage = {
  openBytes,
  openSample,
  expandAll: () => {
    tree.expandAll();
    return tree.rowCount;
  },
  /** Draws the tree's rows on screen now and lays the page out; the rows drawn. */
  drawTree: () => {
    tree.list.flush();
    void document.body.offsetHeight;
    return tree.list.element.querySelectorAll(".vrow").length;
  },
};

void start().catch(fault);
