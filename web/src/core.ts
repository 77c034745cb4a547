// The one session of the page, with the core's JSON answers parsed into their types.
import type {
  BytesRows, CompareResult, Details, ExportList, FindResult, FontSheet, GoToResult, KavexModule,
  LogChunk, LogKind, NodeInfo, OpenResult, Problems, Session, Sides, StepResult,
} from "./core-api";
import { parse } from "./core-api";

let session: Session | undefined;

export async function loadCore(): Promise<void> {
  const factory = globalThis.KavexCore;
  if (!factory) throw new Error("kavex-core.js did not load");
  const module: KavexModule = await factory();
  session = new module.Session();
}

function s(): Session {
  if (!session) throw new Error("the core is not loaded yet");
  return session;
}

export const core = {
  open: (bytes: Uint8Array, name: string) => parse<OpenResult>(s().open(bytes, name)),
  close: () => s().close(),
  children: (id: number) => parse<NodeInfo[]>(s().children(id)),
  collapsed: (id: number) => s().collapsed?.(id),
  node: (id: number) => parse<NodeInfo>(s().node(id)),
  details: (id: number) => parse<Details>(s().details(id)),
  bytesRows: (id: number, first: number, count: number) => parse<BytesRows>(s().bytesRows(id, first, count)),
  nodeBytes: (id: number) => s().nodeBytes(id),
  bytesHex: (id: number, from: number, count: number) => s().bytesHex(id, from, count),
  goToOffset: (text: string) => parse<GoToResult>(s().goToOffset(text)),
  fontSheet: (id: number, columns: number) => parse<FontSheet>(s().fontSheet(id, columns)),
  fontPixels: (id: number, columns: number) => s().fontPixels(id, columns),
  glyphAt: (id: number, columns: number, x: number, y: number) => s().glyphAt(id, columns, x, y),
  log: (from: number) => parse<LogChunk>(s().log(from)),
  kinds: () => parse<LogKind[]>(s().kinds()),
  setKindShown: (kind: number, shown: boolean) => s().setKindShown(kind, shown),
  logLines: (indexes: number[]) => s().logLines(JSON.stringify(indexes)),
  clearLog: () => s().clearLog(),
  find: (text: string, operators: boolean, tones: boolean, matchCase: boolean) =>
    parse<FindResult>(s().find(text, operators, tones, matchCase)),
  problems: () => parse<Problems>(s().problems()),
  nextProblem: (from: number, step: number) => parse<StepResult>(s().nextProblem(from, step)),
  exportTexts: () => parse<ExportList>(s().exportTexts()),
  exportFonts: () => parse<ExportList>(s().exportFonts()),
  exportText: (id: number) => s().exportText(id),
  exportFont: (id: number) => s().exportFont(id),
  exportFile: (name: string) => s().exportFile(name),
  bytesFileName: (id: number) => (s().bytesFileName ? s().bytesFileName!(id) : ""),
  compareWith: (bytes: Uint8Array, name: string) => parse<CompareResult>(s().compareWith(bytes, name)),
  stopComparing: () => s().stopComparing(),
  nextDifference: (from: number, step: number) => parse<StepResult>(s().nextDifference(from, step)),
  sides: (id: number) => parse<Sides>(s().sides(id)),
  compareReportHtml: () => s().compareReportHtml(),
};
