// Opening: the picker, "#sample", the sample button, a dropped file, and a file that holds no
// image (a refusal in the status line, never a fault).
import { dump, expect, loadPage, openByPicker, row, Sample, shownTree, test } from "./fixtures";
import { readFileSync } from "node:fs";

const Areas = () => dump("kavex-sample.fls").split("\n\n")[0].split("\n");

test("the picker, #sample, the sample button and a dropped file open the same tree", async ({ watched: page }) => {
  const expected = Areas();
  const ways: [string, () => Promise<void>][] = [
    ["picker", async () => { await loadPage(page); await openByPicker(page, Sample); }],
    ["#sample", async () => { await loadPage(page, "#sample"); }],
    ["button", async () => { await loadPage(page); await page.click("#open-sample"); }],
    ["drop", async () => {
      await loadPage(page);
      const bytes = [...readFileSync(Sample)];
      const transfer = await page.evaluateHandle((data) => {
        const t = new DataTransfer();
        t.items.add(new File([new Uint8Array(data)], "kavex-sample.fls"));
        return t;
      }, bytes);
      await page.dispatchEvent("body", "drop", { dataTransfer: transfer });
    }],
  ];
  for (const [way, open] of ways) {
    await open();
    await expect(row(page, "0"), way).toBeVisible();
    await expect(row(page, "2")).toBeVisible();
    expect(await shownTree(page), way).toEqual(expected);
    await expect(page).toHaveTitle(/kavex-sample\.fls/);
  }
});

test("a file without an image is refused in the status line and the page goes on", async ({ watched: page }) => {
  await loadPage(page);
  for (const [name, content] of [["empty.fls", ""], ["text.fls", "not a flash image\n".repeat(40)]]) {
    const chooser = page.waitForEvent("filechooser");
    await page.click("#open");
    await (await chooser).setFiles({ name, mimeType: "application/octet-stream", buffer: Buffer.from(content) });
    await expect(page.locator("#status")).toHaveText(new RegExp(`^Could not show ${name.replace(".", "\\.")}: .+\\. The log has the details\\.$`));
    await expect(page.locator("#tree .vrow")).toHaveCount(0);
  }
  await page.click("#open-sample");
  await expect(row(page, "2")).toBeVisible();
});

test("once loaded the page works offline: open, browse, export", async ({ watched: page, context }) => {
  await loadPage(page);
  await context.setOffline(true);
  await openByPicker(page, Sample);
  await row(page, "2.1").locator(".twisty").click();
  await row(page, "2.1.1").locator(".caption").click();
  await expect(page.locator("#details .text-table .vrow").first()).toBeVisible();
  const waiting = page.waitForEvent("download");
  await page.click("#export-table");
  expect((await waiting).suggestedFilename()).toMatch(/^2\.1\.1_.*\.tsv$/);
  await context.setOffline(false);
});
