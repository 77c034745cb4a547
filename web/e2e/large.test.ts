// The 4 MiB benchmark image, used as a user would: opened by the picker, opened whole by "*",
// a table of 1500 entries scrolled to its end, Find over every table, a table exported; the
// long lists keep only their rows on screen in the DOM.
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readdirSync, readFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { dumpExports, expect, KavexDump, loadPage, openByPicker, row, test } from "./fixtures";

const Maker = join(dirname(KavexDump), "bench", "kavex_core_bench");

test("the 4 MiB image: whole tree, a long table, Find, export", async ({ watched: page }) => {
  test.skip(!existsSync(Maker), `no ${Maker}`);
  test.setTimeout(120_000);
  const image = join(mkdtempSync(join(tmpdir(), "kavex-e2e-large-")), "benchmark.fls");
  execFileSync(Maker, [`--write-image=${image}`]);
  const all = execFileSync(KavexDump, ["--all", image], { encoding: "utf8" }).split("\n\n")[0].split("\n");
  const { texts } = dumpExports(image);

  await loadPage(page);
  await openByPicker(page, image);
  await row(page, "0").locator(".caption").click();
  await page.keyboard.press("*");
  const spacer = page.locator("#tree .vlist-spacer");
  await expect.poll(() => spacer.evaluate((e) => parseInt(e.style.height) / 20)).toBe(all.length);
  expect(await page.locator("#tree .vrow").count()).toBeLessThan(100);

  // a table of many entries: its last one, as kavex-dump exports it
  await page.locator("#tree").evaluate((e) => (e.scrollTop = 0));
  await row(page, "2.1.1").locator(".caption").click();
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "text");
  const name = readdirSync(texts).find((n) => n.startsWith("2.1.1_"))!;
  const tsv = readFileSync(join(texts, name), "utf8").trimEnd().split("\n").slice(1).map((l) => l.split("\t"));
  expect(tsv.length).toBeGreaterThan(1000);
  const table = page.locator("#details .text-table");
  await expect(table.locator(".vrow").first()).toBeVisible();
  expect(await table.locator(".vrow").count()).toBeLessThan(100);
  await table.evaluate((el) => (el.scrollTop = el.scrollHeight));
  const [lastIndex, lastText] = tsv[tsv.length - 1];
  await expect(table.locator(".vrow", { has: page.locator(".c1", { hasText: new RegExp(`^${lastIndex}$`) }) }).locator(".c2")).toHaveText(lastText);

  // Find over every table: as many hits as the exported tables have entries holding the word
  const word = "Text 7";
  let expected = 0;
  for (const n of readdirSync(texts))
    for (const line of readFileSync(join(texts, n), "utf8").trimEnd().split("\n").slice(1))
      if (line.split("\t")[1]?.includes(word)) ++expected;
  await page.click("#tab-find");
  await page.fill("#find-text", word);
  await page.check("#find-case");
  await page.press("#find-text", "Enter");
  await expect(page.locator("#find-count")).toHaveText(`${expected} hits`);
  expect(await page.locator("#find-list .vrow").count()).toBeLessThan(100);

  // the table downloads as kavex-dump wrote it
  await page.locator("#tree").evaluate((e) => (e.scrollTop = 0));
  await row(page, "2.1.1").locator(".caption").click();
  const waiting = page.waitForEvent("download");
  await page.click("#export-table");
  const download = await waiting;
  expect(download.suggestedFilename()).toBe(name);
  expect(readFileSync((await download.path())!).equals(readFileSync(join(texts, name)))).toBe(true);
});
