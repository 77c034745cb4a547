// Comparing with a second image: kavex-diff's summary, the marks in the tree (shape and sign,
// not colour alone), next/previous difference, both sides of a changed text, the report.
import { readFileSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { dirname, join } from "node:path";
import { expect, KavexDump, loadPage, row, SampleChanged, SiteDir, test } from "./fixtures";

const KavexDiff = process.env.KAVEX_DIFF ?? join(dirname(KavexDump), "kavex-diff");

function diff(...args: string[]): string {
  try {
    return execFileSync(KavexDiff, args, { encoding: "utf8", cwd: join(SiteDir, "samples") });
  } catch (error) {
    return (error as { stdout: string }).stdout;  // status 1: the images differ
  }
}

test("compare with a second image: marks, next difference, both sides, report", async ({ watched: page }) => {
  const report = diff("kavex-sample.fls", "kavex-sample-changed.fls");
  const summary = report.trimEnd().split("\n").pop()!;
  const changedPaths = [...report.matchAll(/^changed \S+ (.+)$/gm)].map((m) => m[1]);
  const positions = [...report.matchAll(/^ {2}1: (\S+) /gm)].map((m) => m[1]);
  expect(changedPaths.length).toBeGreaterThan(0);

  await loadPage(page, "#sample");
  await expect(row(page, "2")).toBeVisible();
  const alone = await page.title();
  const chooser = page.waitForEvent("filechooser");
  await page.click("#compare");
  await (await chooser).setFiles(SampleChanged);
  await expect(page.locator("#status")).toHaveText(`Compared with kavex-sample-changed.fls: ${summary}`);
  await expect(page).toHaveTitle(/kavex-sample\.fls.*kavex-sample-changed\.fls/);
  await expect(page.locator("#stop-comparing")).toBeEnabled();

  // Next difference walks the changed nodes in tree order, each marked "changed" by a diamond with "~"
  await row(page, "0").locator(".caption").click();
  const visited: string[] = [];
  for (let i = 0; i < positions.length; ++i) {
    await page.click("#next-difference");
    const selected = page.locator("#tree .vrow.selected");
    visited.push((await selected.getAttribute("data-position"))!);
    const mark = selected.locator('.badge[data-mark="changed"]');
    await expect(mark).toHaveCount(1);
    await expect(mark).toHaveText("~");
  }
  expect(visited).toEqual(positions);
  await page.click("#prev-difference");
  await expect(page.locator("#tree .vrow.selected")).toHaveAttribute("data-position", positions[positions.length - 2]);

  // a changed text table: both sides, the changed entry's texts from kavex-diff
  const entry = /~ Entry (\d+): (.+) → (.+)$/m.exec(report)!;
  const textPosition = positions[changedPaths.findIndex((p) => /TEXT\/0x/.test(p))];
  await row(page, textPosition).locator(".caption").click();
  await expect(page.locator("#details")).toHaveAttribute("data-panel", "compare");
  const sides = page.locator("#details .compare-list .vrow");
  const changedRow = sides.filter({ hasText: entry[2] }).filter({ hasText: entry[3] });
  await expect(changedRow).toHaveCount(1);
  await expect(changedRow.locator(".s-label")).toHaveText(entry[1]);
  await expect(changedRow.locator(".s-sign")).toHaveText("~");
  await expect(changedRow.locator(".run-changed").first()).toBeVisible();
  await expect(page.locator("#compare-counts")).toContainText("1 changed");

  // a changed font: both sheets, the differing glyphs framed on each
  const changedKinds = [...report.matchAll(/^changed (\S+) /gm)].map((m) => m[1]);
  const fontPosition = positions[changedKinds.indexOf("TFontEntry")];
  await row(page, fontPosition).locator(".caption").click();
  await expect(page.locator("#details canvas.compare-font")).toHaveCount(2);
  for (const canvas of await page.locator("#details canvas.compare-font").all())
    expect(Number(await canvas.getAttribute("data-cells"))).toBeGreaterThan(0);

  // the report: exactly kavex-diff --html's page
  const waiting = page.waitForEvent("download");
  await page.click("#export-comparison");
  const html = readFileSync((await (await waiting).path())!, "utf8");
  expect(html).toBe(diff("--html", "-", "kavex-sample.fls", "kavex-sample-changed.fls"));

  // only differences: every row below the root has a mark; off again, every node is back
  const all = await page.locator("#tree .vlist-spacer").evaluate((e) => e.style.height);
  await page.check("#only-differences");
  const marked = page.locator("#tree .vrow:not([data-position='0'])");
  await expect(marked.first()).toBeVisible();
  for (const r of await marked.all()) await expect(r.locator(".badge")).toHaveCount(1);
  expect(await marked.count()).toBeGreaterThan(0);
  await page.uncheck("#only-differences");
  await expect.poll(() => page.locator("#tree .vlist-spacer").evaluate((e) => e.style.height)).toBe(all);

  // stop: no marks, the image alone
  await page.click("#stop-comparing");
  await expect(page.locator("#tree .badge.changed")).toHaveCount(0);
  await expect(page.locator("#next-difference")).toBeDisabled();
  await expect(page).toHaveTitle(alone);
});

test("a second file without an image is refused and the first stays shown alone", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  await expect(row(page, "2")).toBeVisible();
  const chooser = page.waitForEvent("filechooser");
  await page.click("#compare");
  await (await chooser).setFiles({ name: "nothing.fls", mimeType: "application/octet-stream", buffer: Buffer.from("no image here") });
  await expect(page.locator("#status")).toHaveText(/^Could not compare with nothing\.fls: .+\. The log has the details\.$/);
  await expect(page.locator("#stop-comparing")).toBeDisabled();
  await expect(page.locator("#tree .badge")).toHaveCount(0);
  await expect(row(page, "2")).toBeVisible();
});
