// Exports as downloads: one text table (TSV) or one font (PNG), every table and font as one
// zip, and the raw bytes of a node. The core makes every file's name and content, the same
// bytes kavex-dump writes.
import { zipSync } from "fflate";
import type { ExportFile, NodeInfo } from "./core-api";
import { core } from "./core";
import { download } from "./dom";

/** The node's file in the export list (by its id, else by the position that starts
 *  kavex-dump's names: "2.1.1_..."), or a name made of the position. */
export function nameFor(files: ExportFile[], node: NodeInfo, ext: "tsv" | "png"): string {
  const file = files.find((f) => f.id === node.id) ?? files.find((f) => f.name.startsWith(`${node.position}_`));
  return file ? file.name.split("/").pop()! : `${node.position}.${ext}`;
}

export function exportTable(node: NodeInfo): boolean {
  const bytes = core.exportText(node.id);
  if (!bytes.length) return false;
  download(nameFor(core.exportTexts().files, node, "tsv"), bytes, "text/tab-separated-values;charset=utf-8");
  return true;
}

export function exportFont(node: NodeInfo): boolean {
  const bytes = core.exportFont(node.id);
  if (!bytes.length) return false;
  download(nameFor(core.exportFonts().files, node, "png"), bytes, "image/png");
  return true;
}

/** The files in one zip: texts/NAME and fonts/NAME. */
export function zipAll(texts: ExportFile[], fonts: ExportFile[]): Uint8Array {
  const entries: Record<string, Uint8Array> = {};
  for (const f of texts) entries[`texts/${f.name}`] = core.exportFile(f.name);
  // PNGs are compressed already: stored as they are.
  for (const f of fonts) entries[`fonts/${f.name}`] = core.exportFile(f.name);
  return zipSync(entries, { level: 6 });
}

/** Every text table and font as one zip: the count of files (0 when the image has none,
 *  and nothing is downloaded) and the export's notes. */
export function exportAll(zipName: string, which: "all" | "texts" | "fonts" = "all"): { count: number; notes: string[] } {
  const textList = which === "fonts" ? { files: [] } : core.exportTexts();
  const fontList = which === "texts" ? { files: [] } : core.exportFonts();
  const notes = [...(textList.notes ?? []), ...(fontList.notes ?? [])];
  const count = textList.files.length + fontList.files.length;
  if (count) download(zipName, zipAll(textList.files, fontList.files), "application/zip");
  return { count, notes };
}

export function saveBytes(node: NodeInfo): number {
  const bytes = core.nodeBytes(node.id);
  if (!bytes.length) return 0;
  const name = core.bytesFileName(node.id) || `${node.position}.bin`;
  download(name, bytes, "application/octet-stream");
  return bytes.length;
}
