// Browsing the sample as a user: the tree by mouse and keys, a text table, the operator list,
// a font, the bytes of an area, go to offset and Find, each against kavex-dump's view of the
// same file.
import { dump, dumpExports, expect, loadPage, readBytes, row, Sample, selectNode, shownTree, test } from "./fixtures";
import { readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";

test("the tree opens a chunk by mouse and by the keys, as kavex-dump --all lists it", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const all = dump("--all", "kavex-sample.fls").split("\n\n")[0].split("\n");
  const textChunk = all.slice(all.findIndex((l) => l.startsWith("    TChunk TEXT")));
  const chunkLines = textChunk.slice(0, 1 + textChunk.slice(1).findIndex((l) => !l.startsWith("      ")));

  // the mouse: the twisty opens, a second click closes
  await row(page, "2.1").locator(".twisty").click();
  await expect(row(page, "2.1")).toHaveAttribute("aria-expanded", "true");
  const lines = await shownTree(page);
  const at = lines.indexOf(chunkLines[0]);
  expect(lines.slice(at, at + chunkLines.length)).toEqual(chunkLines);
  await row(page, "2.1").locator(".twisty").click();
  await expect(row(page, "2.1.1")).toHaveCount(0);

  // the keys: Down moves, Right and "+" open, Left and "-" close, Enter toggles, "*" opens all
  await row(page, "2.1").locator(".caption").click();
  await page.keyboard.press("ArrowRight");
  await expect(row(page, "2.1.1")).toBeVisible();
  await page.keyboard.press("ArrowRight");
  await expect(row(page, "2.1.1")).toHaveClass(/selected/);
  await page.keyboard.press("ArrowLeft");
  await expect(row(page, "2.1")).toHaveClass(/selected/);
  await page.keyboard.press("-");
  await expect(row(page, "2.1.1")).toHaveCount(0);
  await page.keyboard.press("+");
  await expect(row(page, "2.1.1")).toBeVisible();
  await page.keyboard.press("Enter");
  await expect(row(page, "2.1.1")).toHaveCount(0);
  await page.keyboard.press("ArrowDown");
  await expect(row(page, "2.2")).toHaveClass(/selected/);
  // closed and opened again, a node keeps the open nodes below it, and builds nothing twice
  await row(page, "2.2").locator(".twisty").click();
  await row(page, "2.2.1").locator(".twisty").click();
  await expect(row(page, "2.2.1.1")).toBeVisible();
  const logged = await page.locator(".log-count").textContent();
  await row(page, "2.2").locator(".twisty").click();
  await expect(row(page, "2.2.1")).toHaveCount(0);
  await row(page, "2.2").locator(".twisty").click();
  await expect(row(page, "2.2.1.1")).toBeVisible();
  await expect(page.locator(".log-count")).toHaveText(logged!);
  await row(page, "0").locator(".caption").click();
  await page.keyboard.press("*");
  await expect(row(page, "2.2.1.2")).toHaveCount(1);
  // opened whole, the tree is kavex-dump --all's (rows out of sight are read by scrolling)
  const count = await page.evaluate(() => Number(document.querySelector<HTMLElement>("#tree .vlist-spacer")!.style.height.replace("px", "")) / 20);
  expect(count).toBe(all.length);
});

test("a text table shows every entry of kavex-dump's TSV, its rows virtual", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const { texts } = dumpExports(Sample);
  const name = readdirSync(texts).find((n) => n.startsWith("2.1.1_"))!;
  const tsv = readFileSync(join(texts, name), "utf8").trimEnd().split("\n").slice(1).map((l) => l.split("\t"));
  await selectNode(page, "2.1.1");
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "text");
  const table = page.locator("#details .text-table");
  await expect(table.locator(".vrow").first()).toBeVisible();
  // every shown row is the TSV's line of the same index (entry 0 names the language, shown
  // above the table as the viewer does)
  const byIndex = new Map(tsv.map(([index, text]) => [index, text]));
  const check = async () => {
    const shownRows = table.locator(".vrow");
    const n = await shownRows.count();
    expect(n).toBeGreaterThan(0);
    for (let i = 0; i < n; ++i) {
      const [index, text] = await shownRows.nth(i).locator("span").allTextContents();
      expect(byIndex.get(index), `entry ${index}`).toBe(text);
    }
  };
  await check();
  // the last entry, scrolled to
  await table.evaluate((el) => (el.scrollTop = el.scrollHeight));
  await expect(table.locator(".vrow .c1", { hasText: new RegExp(`^${tsv[tsv.length - 1][0]}$`) })).toHaveCount(1);
  await check();
  // the detail values are the core's: kavex-dump --details has each of them
  const details = dump("--all", "--details", "kavex-sample.fls");
  for (const value of await page.locator("#details dl.values dd").allTextContents())
    if (value.trim()) expect(details).toContain(value.trim());
});

test("a font is drawn on the canvas, zooms, and names the character under the pointer", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  await selectNode(page, "2.2.1.1");
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "font");
  const canvas = page.locator("#details canvas.font-sheet");
  await expect(canvas).toBeVisible();
  const size = async () => canvas.evaluate((c: HTMLCanvasElement) => [c.width, c.height, c.getBoundingClientRect().width / c.width]);
  const [w, h, zoom] = await size();
  expect(w).toBeGreaterThan(0);
  expect(h).toBeGreaterThan(0);
  // some pixel is drawn (not all one colour)
  const colours = await canvas.evaluate((c: HTMLCanvasElement) => {
    const d = c.getContext("2d")!.getImageData(0, 0, c.width, c.height).data;
    const seen = new Set<number>();
    for (let i = 0; i < d.length; i += 4) seen.add((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]);
    return seen.size;
  });
  expect(colours).toBeGreaterThan(1);
  // a zoom step enlarges every pixel by one; the sheet's columns follow the panel's width
  await page.click("#zoom-in");
  await expect.poll(async () => (await size())[2]).toBeCloseTo(zoom + 1, 5);
  await page.click("#zoom-out");
  await expect.poll(async () => (await size())[2]).toBeCloseTo(zoom, 5);
  for (let i = 0; i < 10; ++i) await page.click("#zoom-out");
  await expect.poll(async () => (await size())[2]).toBeCloseTo(1, 5);
  // the first cell: its character's text
  await canvas.hover({ position: { x: 1, y: 1 } });
  await expect(page.locator("#details .font-under")).toHaveText(/U\+[0-9A-F]{4}/);
  // the zoom is kept for the next visit
  await page.click("#zoom-in");
  await page.reload();
  await expect(page.locator("body")).toHaveAttribute("data-ready", "true");
  expect(await page.evaluate(() => localStorage.getItem("kavex.fontZoom"))).not.toBeNull();
});

test("the bytes of an area: the file's bytes, the header tinted, go to offset and copy as hex", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const file = readBytes(Sample);
  const hex = (from: number, count: number) =>
    [...file.subarray(from, from + count)].map((b) => b.toString(16).toUpperCase().padStart(2, "0"));
  await selectNode(page, "2");  // the PPM area
  const offsets = dump("--offsets", "kavex-sample.fls");
  const ppm = Number.parseInt(/TPPM .* @([0-9A-F]{8}) \+/.exec(offsets)![1], 16);
  const firstRow = page.locator('#bytes-list .vrow[data-row="0"] .b');
  await expect(firstRow.first()).toBeVisible();
  expect((await firstRow.allTextContents()).map((t) => t.toUpperCase())).toEqual(hex(ppm, 16));
  // a chunk's header is tinted, its body is not
  await selectNode(page, "2.1");
  await expect(page.locator("#bytes-list .b.header").first()).toBeVisible();
  const headerCells = await page.locator('#bytes-list .vrow[data-row="0"] .b.header').count();
  expect(headerCells).toBeGreaterThan(0);
  // the tint is the header's alone: it ends at one byte and the body bytes after it are plain
  const tinted = await page.locator("#bytes-list .b").evaluateAll((cells) =>
    cells.map((c) => [Number((c as HTMLElement).dataset.at), c.classList.contains("header")] as [number, boolean]).sort((a, b) => a[0] - b[0]));
  const firstPlain = tinted.findIndex(([, h]) => !h);
  expect(firstPlain).toBeGreaterThan(0);
  expect(tinted.slice(firstPlain).every(([, h]) => !h)).toBe(true);
  expect(tinted.slice(0, firstPlain).every(([at], i) => at === i)).toBe(true);
  // go to offset: the deepest node holding it, its row shown; bad text is refused
  const tone = Number.parseInt(/TChunk TONE .* @([0-9A-F]{8}) \+/.exec(offsets)![1], 16);
  await page.fill("#goto-text", `0x${(tone + 0x30).toString(16)}`);
  await page.click("#goto-go");
  await expect(page.locator("#tree .vrow.selected")).toHaveAttribute("data-position", /^2\.3/);
  // its byte picked in the bytes view: the one at the offset, in the row its offset column names
  const picked = page.locator("#bytes-list .b.picked");
  await expect(picked).toHaveCount(1);
  const pickedRow = picked.locator("xpath=ancestor::div[contains(@class,'vrow')]");
  const rowOffset = Number.parseInt((await pickedRow.locator(".b-offset").first().textContent())!, 16);
  const column = Number(await picked.getAttribute("data-at")) % 16;
  expect(rowOffset + column).toBe(tone + 0x30);
  await page.fill("#goto-text", "nonsense");
  await page.click("#goto-go");
  await expect(page.locator("#status")).not.toBeEmpty();
  // copy as hex of a picked range
  await selectNode(page, "2");
  await page.locator('#bytes-list .vrow[data-row="0"] .b[data-at="0"]').click();
  await page.locator('#bytes-list .vrow[data-row="0"] .b[data-at="3"]').click({ modifiers: ["Shift"] });
  await page.context().grantPermissions(["clipboard-read", "clipboard-write"]);
  await page.click("#bytes-copy-hex");
  expect(await page.evaluate(() => navigator.clipboard.readText())).toBe(hex(ppm, 4).join(" "));
  // a long area keeps only the rows on screen in the DOM
  await selectNode(page, "1");
  expect(await page.locator("#bytes-list .vrow").count()).toBeLessThan(200);
});

test("Find hits a word of a text table, an operator and a tone, and shows its row", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  await page.click("#tab-find");
  const word = "Messages";
  await page.fill("#find-text", word);
  await page.press("#find-text", "Enter");
  await expect(page.locator("#find-count")).toHaveText(/\d+ hits?/);
  const hits = page.locator("#find-list .vrow");
  await expect(hits.first()).toContainText(word);
  await expect(hits.first().locator("mark")).toHaveText(word);
  await hits.first().click();
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "text");
  await expect(page.locator("#details .text-table .vrow.selected")).toContainText(word);
  // the keys move through a table: Down marks the next entry, End the last
  const table = page.locator("#details .text-table");
  await table.locator(".vrow.selected").click();
  const at = Number(await table.locator(".vrow.selected").getAttribute("data-row"));
  await page.keyboard.press("ArrowDown");
  await expect(table.locator(".vrow.selected")).toHaveAttribute("data-row", String(at + 1));
  await page.keyboard.press("End");
  const last = await table.evaluate((e) => Math.round(parseInt(e.querySelector<HTMLElement>(".vlist-spacer")!.style.height) / 20) - 1);
  await expect(table.locator(".vrow.selected")).toHaveAttribute("data-row", String(last));
  // case: a lower-case word finds nothing with "Match case" on
  await page.fill("#find-text", word.toLowerCase());
  await page.check("#find-case");
  await page.click("#find-go");
  await expect(page.locator("#find-count")).toHaveText(/^0 hits$|no/i);
  await page.uncheck("#find-case");
  // operators and tones only when asked
  const plmn = dump("--all", "--details", "kavex-sample.fls");
  const tone = /TToneSubchunk 0x00000001 \((.+)\)/.exec(plmn)![1];
  await page.fill("#find-text", tone);
  await page.click("#find-go");
  const without = await page.locator("#find-count").textContent();
  await page.check("#find-tones");
  await page.click("#find-go");
  await expect(page.locator("#find-count")).not.toHaveText(without!);
  await expect(page.locator("#find-list .vrow").first()).toContainText(tone);
  // an operator's name, with "Operator names" on: its list shows with the row picked
  const operator = /- MCC \d+: (\S+)$/m.exec(plmn)![1];
  await page.check("#find-operators");
  await page.fill("#find-text", operator);
  await page.click("#find-go");
  await page.locator("#find-list .vrow", { hasText: operator }).first().click();
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "operators");
  await expect(page.locator("#details .operator-table .vrow.selected")).toContainText(operator);
});
