// Exports: a table's TSV byte for byte and a font's PNG pixel for pixel as kavex-dump writes
// them, all of them in one zip, and the raw bytes of a node.
import { unzipSync } from "fflate";
import { PNG } from "pngjs";
import { readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import type { Download, Page } from "@playwright/test";
import { dumpExports, dumpRaw, expect, loadPage, Sample, selectNode, test } from "./fixtures";

async function downloaded(page: Page, click: () => Promise<void>): Promise<{ name: string; bytes: Buffer }> {
  const waiting = page.waitForEvent("download");
  await click();
  const download: Download = await waiting;
  const path = await download.path();
  return { name: download.suggestedFilename(), bytes: readFileSync(path!) };
}

function pixels(png: Buffer): { width: number; height: number; data: Buffer } {
  const decoded = PNG.sync.read(png);
  return { width: decoded.width, height: decoded.height, data: decoded.data };
}

test("a text table and a font download as kavex-dump writes them", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const { texts, fonts } = dumpExports(Sample);
  for (const position of ["2.1.1", "2.1.5"]) {
    await selectNode(page, position);
    const file = await downloaded(page, () => page.click("#export-table"));
    const name = readdirSync(texts).find((n) => n.startsWith(`${position}_`))!;
    expect(file.name).toBe(name);
    expect(file.bytes.equals(readFileSync(join(texts, name))), `${name} byte for byte`).toBe(true);
  }
  for (const position of ["2.2.1.1", "2.2.1.2"]) {
    await selectNode(page, position);
    const file = await downloaded(page, () => page.click("#export-font"));
    const name = readdirSync(fonts).find((n) => n.startsWith(`${position}_`))!;
    expect(file.name).toBe(name);
    const mine = pixels(file.bytes);
    const theirs = pixels(readFileSync(join(fonts, name)));
    expect([mine.width, mine.height]).toEqual([theirs.width, theirs.height]);
    expect(mine.data.equals(theirs.data), `${name} pixel for pixel`).toBe(true);
  }
  // the buttons are for their own kind of node only
  await selectNode(page, "2.1");
  await expect(page.locator("#export-table")).toBeDisabled();
  await expect(page.locator("#export-font")).toBeDisabled();
});

test("every table and font in one zip, the same files as kavex-dump's", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const { texts, fonts } = dumpExports(Sample);
  const file = await downloaded(page, () => page.click("#export-all"));
  expect(file.name).toMatch(/\.zip$/);
  const entries = unzipSync(new Uint8Array(file.bytes));
  const expected = [...readdirSync(texts).map((n) => `texts/${n}`), ...readdirSync(fonts).map((n) => `fonts/${n}`)].sort();
  expect(Object.keys(entries).sort()).toEqual(expected);
  for (const n of readdirSync(texts)) expect(Buffer.from(entries[`texts/${n}`]).equals(readFileSync(join(texts, n)))).toBe(true);
  for (const n of readdirSync(fonts)) {
    const a = pixels(Buffer.from(entries[`fonts/${n}`]));
    const b = pixels(readFileSync(join(fonts, n)));
    expect(a.data.equals(b.data)).toBe(true);
  }
  const onlyTexts = unzipSync(new Uint8Array((await downloaded(page, () => page.click("#export-texts"))).bytes));
  expect(Object.keys(onlyTexts).sort()).toEqual(readdirSync(texts).map((n) => `texts/${n}`).sort());
});

test("Save bytes gives the node's stored bytes, as kavex-dump --extract writes them", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  for (const position of ["2.3", "2.1.1", "3"]) {
    await selectNode(page, position);
    const file = await downloaded(page, () => page.click("#save-bytes"));
    const extracted = dumpRaw("--extract", position, "--out", "-", "kavex-sample.fls");
    expect(file.name.startsWith(position), file.name).toBe(true);
    expect(file.bytes.length).toBeGreaterThan(0);
    expect(file.bytes.equals(extracted), `${position} byte for byte`).toBe(true);
  }
});
