// Problems: the counts kavex-dump --check gives, the badges (shape and sign, not colour alone)
// on the node and faint on the nodes above it, and Next problem going to it.
import { readFileSync } from "node:fs";
import { expect, loadPage, row, Sample, selectNode, test } from "./fixtures";
import { execFileSync } from "node:child_process";
import { mkdtempSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { KavexDump } from "./fixtures";

function checkLine(file: string): string {
  try {
    return execFileSync(KavexDump, ["--check", file], { encoding: "utf8" });
  } catch (error) {
    return (error as { stdout: string }).stdout;
  }
}

test("a damaged image: the counts of kavex-dump --check, the badges and Next problem", async ({ watched: page }) => {
  const sample = readFileSync(Sample);
  const dir = mkdtempSync(join(tmpdir(), "kavex-e2e-problems-"));
  const ppm = 0x2002c;  // the TEXT chunk (the PPM area's first)
  const flipped = Buffer.from(sample);
  flipped[ppm + 0x100] ^= 0xff;  // a byte of a text: the chunk's checksum no longer matches
  const cases: [string, Buffer][] = [["flipped.fls", flipped], ["cut.fls", sample.subarray(0, ppm + 0x300)]];
  await loadPage(page);
  for (const [name, bytes] of cases) {
    const file = join(dir, name);
    writeFileSync(file, bytes);
    const count = /: (.*?); first:/.exec(checkLine(file))![1];
    const chooser = page.waitForEvent("filechooser");
    await page.click("#open");
    await (await chooser).setFiles(file);
    await expect(page.locator("#problems")).toHaveText(count);
    // the root holds the problem below it: a faint mark, no sign
    await expect(row(page, "0").locator(".badge.faint")).toHaveCount(1);
    await expect(row(page, "0").locator(".badge.faint")).toHaveText("");
    // Next problem from the root selects a node with a badge of its own, its sign "!"
    await row(page, "0").locator(".caption").click();
    await page.click("#next-problem");
    const selected = page.locator("#tree .vrow.selected");
    await expect(selected).not.toHaveAttribute("data-position", "0");
    const own = selected.locator(".badge:not(.faint)");
    await expect(own).toHaveCount(1);
    await expect(own).toHaveText("!");
    expect(await own.getAttribute("data-mark")).toMatch(/^(error|warning)$/);
  }
  // the flipped byte's warning is on the TEXT chunk, a triangle
  writeFileSync(join(dir, "again.fls"), flipped);
  const chooser = page.waitForEvent("filechooser");
  await page.click("#open");
  await (await chooser).setFiles(join(dir, "again.fls"));
  await expect(row(page, "2.1").locator('.badge[data-mark="warning"]')).toHaveCount(1);
  await expect(row(page, "2").locator('.badge[data-mark="warning below"]')).toHaveCount(1);
  // Next problem picks the node's first record in the log
  await row(page, "0").locator(".caption").click();
  await page.click("#next-problem");
  await expect(row(page, "2.1")).toHaveClass(/selected/);
  await page.click("#problems");
  await expect(page.locator("#log")).toBeVisible();
  await expect(page.locator("#log-list .vrow.selected")).toContainText("Chunk checksum");
  // Mark problems off hides the badges, and stays off for the next visit
  await page.uncheck("#mark-problems");
  await expect(page.locator("#tree .badge")).toHaveCount(0);
  await page.reload();
  await expect(page.locator("body")).toHaveAttribute("data-ready", "true");
  await expect(page.locator("#mark-problems")).not.toBeChecked();
  await page.check("#mark-problems");
  // a sound image has none, and nothing to step to
  await page.click("#open-sample");
  await expect(row(page, "2")).toBeVisible();
  await expect(page.locator("#problems")).toHaveText("");
  await expect(page.locator("#tree .badge")).toHaveCount(0);
  await expect(page.locator("#next-problem")).toBeDisabled();
});

test("an operator list shows kavex-dump's MCC entries", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  await selectNode(page, "2.4.1");
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "operators");
  const rows = page.locator("#details .operator-table .vrow");
  await expect(rows.first()).toBeVisible();
  const shown = await rows.evaluateAll((list) => list.map((r) => [...r.querySelectorAll("span")].map((s) => s.textContent)));
  const { dump } = await import("./fixtures");
  const details = dump("--all", "--details", "kavex-sample.fls");
  const block = details.slice(details.indexOf("TPLMNSubchunk 0x00000001"), details.indexOf("TPLMNSubchunk 0x00000002"));
  const expected = [...block.matchAll(/- MCC (\d+): (.*)$/gm)].map((m) => [m[1], m[2]]);
  expect(shown.length).toBe(expected.length);
  shown.forEach(([mcc, provider], i) => {
    expect(mcc).toContain(expected[i][0]);
    expect(provider).toBe(expected[i][1]);
  });
});
