// The TypeScript face of the WebAssembly core (the Embind module kavex-core.js).
//
// This file is shared between the page (web/src/*) and the binding (web/bindings/*):
// the binding implements exactly what is declared here. Notes for the binding are in
// comments marked "BINDING:"; requests from the page that are not yet implemented are
// marked "NEEDED:" (and listed in web/NOTES-page.md).
//
// Conventions
// - Every string is UTF-8, already formatted by the core (the same texts the viewer and
//   kavex-dump show). The page never formats a value the core already formats and never
//   parses image bytes.
// - Structured results are JSON strings; the page parses them with JSON.parse and casts to
//   the interfaces below.
// - Node ids are small integers handed out by the session; 0 is the root. Ids of the second
//   image (comparison stand-ins) are >= 1 << 24. An id is valid until the next open/close.
// - Bytes in and out are Uint8Array. BINDING: returned Uint8Arrays must be copies (not views
//   into the wasm heap), since the heap may grow and detach views.
// - Calls never throw for bad input from the image; a bad id gives an empty/none result
//   ("{}" / "[]" / empty Uint8Array). BINDING: please keep it so; the page treats a thrown
//   exception as a program fault and shows it on the console.

export const SECOND_IMAGE_ID_BASE = 1 << 24;

/** The module factory, installed as a global by kavex-core.js (-sEXPORT_NAME=KavexCore). */
export type KavexCoreFactory = (options?: Record<string, unknown>) => Promise<KavexModule>;

export interface KavexModule {
  Session: new () => Session;
}

export interface Session {
  /** Opens the image held in bytes under the file name (logged as "Loading file ...").
   *  Clears the log and problems first, like a new open in the viewer.
   *  JSON: OpenResult */
  open(bytes: Uint8Array, name: string): string;
  close(): void;
  /** Embind: frees the C++ object. */
  delete(): void;

  /** The node's children, built on demand exactly as the viewer's tree fetch does.
   *  JSON: NodeInfo[] */
  children(id: number): string;
  /** NEEDED: the tree closed the node. As the viewer's tree: a node whose last fetch
   *  stopped at an error is fetched again only by the first children(id) after collapsed(id);
   *  any other children(id) call of a stopped node hands out what is built without building
   *  (so the page's first children() of an area that open() built logs nothing twice). The
   *  page calls it on every collapse, when the binding has it. */
  collapsed?(id: number): void;
  /** JSON: NodeInfo (markers refresh after builds) */
  node(id: number): string;
  /** JSON: Details */
  details(id: number): string;

  /** Rows [first, first+count) of the node's bytes, 16 per row. JSON: BytesRows */
  bytesRows(id: number, first: number, count: number): string;
  /** Raw bytes of the node (Save bytes). */
  nodeBytes(id: number): Uint8Array;
  /** Hex of bytes [from, from+count) of the node, relative to the node: "4E 4F 4B". */
  bytesHex(id: number, from: number, count: number): string;
  /** Go to offset (text parsed by the core: decimal, 0x1F0, $1F0, 1F0h). JSON: GoToResult */
  goToOffset(text: string): string;

  /** Font sheet laid out for `columns` columns. JSON: FontSheet */
  fontSheet(id: number, columns: number): string;
  /** RGBA pixels of that sheet, width*height*4 bytes. */
  fontPixels(id: number, columns: number): Uint8Array;
  /** The text the viewer shows for the character at sheet pixel (x, y); "" when none. */
  glyphAt(id: number, columns: number, x: number, y: number): string;

  /** Records from index `from` on. JSON: LogChunk */
  log(from: number): string;
  /** The five kinds. JSON: LogKind[] */
  kinds(): string;
  setKindShown(kind: number, shown: boolean): void;
  /** Log lines as the viewer's copy/export writes them, for the record indexes given as a
   *  JSON array of numbers; '\n' line ends. */
  logLines(indexesJson: string): string;
  clearLog(): void;

  /** Find across text tables (always), operators and tones (when asked); builds the chunks
   *  that hold them as the viewer's Find does. JSON: FindResult */
  find(text: string, operators: boolean, tones: boolean, matchCase: boolean): string;

  /** JSON: Problems */
  problems(): string;
  /** Next/previous problem from node id (-1 none), step +1/-1. JSON: StepResult */
  nextProblem(from: number, step: number): string;

  /** Every text table, names as kavex-dump --export-texts. JSON: ExportList */
  exportTexts(): string;
  /** Every font, names as kavex-dump --export-fonts. JSON: ExportList */
  exportFonts(): string;
  /** One text table's TSV (kavex-dump's bytes). */
  exportText(id: number): Uint8Array;
  /** One font's PNG (kavex-dump's sheet: 16 columns). */
  exportFont(id: number): Uint8Array;
  /** Content of a file named by exportTexts/exportFonts. */
  exportFile(name: string): Uint8Array;
  /** NEEDED: the file name the viewer proposes for Save bytes: position + "_" +
   *  SafeNamePart(caption, 40, "node") + ".bin". The page falls back to position + ".bin"
   *  while the binding lacks it. */
  bytesFileName?(id: number): string;

  /** Compare with a second image; builds both whole. JSON: CompareResult */
  compareWith(bytes: Uint8Array, name: string): string;
  stopComparing(): void;
  /** Next/previous difference from node id (-1 none). JSON: StepResult */
  nextDifference(from: number, step: number): string;
  /** Both sides of a changed node. JSON: Sides */
  sides(id: number): string;
  /** Exactly kavex-diff --html's page. */
  compareReportHtml(): string;
}

export type Problem = "none" | "warning" | "error" | "warningBelow" | "errorBelow";
export type CompareMark = "none" | "changed" | "added" | "removed" | "below";

export interface NodeInfo {
  id: number;
  caption: string;
  /** class name, e.g. "TChunk" */
  kind: string;
  /** index in the kind table */
  icon: number;
  hasChildren: boolean;
  childCount: number;
  problem: Problem;
  compare?: CompareMark;
  standIn?: boolean;
  /** the node's log path */
  path: string;
  /** "2.5.1" */
  position: string;
}

export interface OpenResult {
  ok: boolean;
  /** the whole refusal as the viewer words it: "Could not show NAME: WHY. The log has the details." */
  reason?: string;
  root?: NodeInfo;
  /** the window caption, e.g. "kavex-sample.fls - Kavex" */
  caption: string;
}

export interface LabelledValue {
  label: string;
  value: string;
}

export interface TextRow {
  index: string;
  entry: string;
}

export interface OperatorRow {
  mcc: string;
  provider: string;
}

export interface FontSheet {
  width: number;
  height: number;
  cellWidth: number;
  cellHeight: number;
  columns: number;
  rows: number;
  cells: number;
}

export type PanelKind =
  | "chunk" | "subchunk" | "text" | "operators" | "font" | "tone" | "area" | "none";

export interface Details {
  panel: PanelKind;
  title: string;
  /** the panel's labelled values, in the viewer's order and wording */
  rows: LabelledValue[];
  text?: { language: string; charset: string; rows: TextRow[] };
  operators?: OperatorRow[];
  /** the sheet for 16 columns */
  font?: FontSheet;
  /** NodePlaceText */
  place: string;
  /** "Text entries" / "MCC entries": the title of the list under the header */
  listTitle?: string;
}

export interface BytesRow {
  /** offset column text, formatted by the core as the viewer shows it */
  offset: string;
  /** the address column ("Address": flashBase + offset, as the viewer shows it); only when
   *  flashBase >= 0. BINDING: refinement of the contract, the page shows it when present. */
  address?: string;
  /** the row's bytes, two hex digits each, one blank between: "4E 4F 4B" (fewer than 16 on
   *  the last row) */
  hex: string;
  /** the text column as the viewer shows it */
  text: string;
}

export interface BytesRows {
  /** the node's image offset */
  offset: number;
  /** the node's size in bytes (rows = ceil(size / 16)) */
  size: number;
  /** bytes at the node's start that are its header (tinted) */
  headerSize: number;
  /** -1 when none */
  flashBase: number;
  rows: BytesRow[];
}

export interface GoToResult {
  ok: boolean;
  /** the refusal, as the viewer words it */
  message?: string;
  id?: number;
  /** ids root..node */
  path?: number[];
  /** NEEDED: the image offset the text names (so the bytes view can show its row); without
   *  it the page shows the node's first row. */
  offset?: number;
}

export interface LogRecord {
  index: number;
  kind: number;
  ident: number;
  path: string;
  text: string;
  /** as the viewer's log list / copy shows */
  line: string;
}

export interface LogChunk {
  records: LogRecord[];
  next: number;
}

export interface LogKind {
  kind: number;
  name: string;
  tag: string;
  shown: boolean;
}

export interface FindHit {
  id: number;
  /** ids root..node */
  path: number[];
  row: number;
  table: string;
  entry: string;
  text: string;
  /** where the word is in text, in UTF-16 units (as JavaScript counts) */
  matchStart?: number;
  matchLength?: number;
}

export interface FindResult {
  hits: FindHit[];
  message?: string;
}

export interface Problems {
  /** "2 errors, 3 warnings" */
  count: string;
  errors: number;
  warnings: number;
}

export interface StepResult {
  id?: number;
  path?: number[];
  record?: number;
}

export interface ExportFile {
  name: string;
  kind: "tsv" | "png";
  /** NEEDED: the node the file is made of, so that the page can name a single table's or
   *  font's download as kavex-dump names it. */
  id?: number;
}

export interface ExportList {
  files: ExportFile[];
  /** what the export tells beside the files (a font cut, a font without glyphs) */
  notes?: string[];
}

export interface CompareResult {
  ok: boolean;
  /** the whole refusal: "Could not compare with NAME: WHY. The log has the details." */
  reason?: string;
  /** "6 changed, 0 added, 0 removed" */
  summary: string;
  caption: string;
}

export interface SideRun {
  text: string;
  changed: boolean;
}

export interface SideRow {
  /** "~", "+", "−" or "" (the same) */
  sign: string;
  /** the change's name ("changed", "added", "removed"), "" when the same */
  change: string;
  /** the row's name: the field, the entry's index, the MCC */
  label: string;
  left: string;
  right: string;
  leftRuns?: SideRun[];
  rightRuns?: SideRun[];
}

export interface Sides {
  kind: "header" | "text" | "operators" | "font" | "none";
  /** "Text entries: 1 changed, 0 added, 0 removed" ("" for header and font) */
  counts: string;
  /** the list's rows (text entries, MCC entries), or the header's when kind is "header" */
  rows: SideRow[];
  /** the header's rows (Field, First, Second) */
  header?: SideRow[];
  /** font: the differing glyph cells of the first and of the second image's sheet */
  cells?: number[];
  cells2?: number[];
  /** font: the second image's node, for fontSheet/fontPixels of its side */
  secondId?: number;
}

/** Parses a JSON answer of the core; a malformed answer is a program fault. */
export function parse<T>(json: string): T {
  return JSON.parse(json) as T;
}

declare global {
  // Installed by <script src="kavex-core.js"> before app.js.
  // eslint-disable-next-line no-var
  var KavexCore: KavexCoreFactory | undefined;
}
