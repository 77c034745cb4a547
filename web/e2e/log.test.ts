// The log: kavex-dump's messages, each kind hidden and shown by its toggle, the toggles and the
// panel sizes kept for the next visit, copy of the shown lines.
import { readFileSync } from "node:fs";
import { dump, expect, loadPage, test } from "./fixtures";

test("the log's kinds toggle, stay toggled after a reload, and copy gives the shown lines", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const rows = page.locator("#log-list .vrow");
  await expect(rows.first()).toBeVisible();
  const toggles = page.locator(".kind-toggle");
  await expect(toggles).toHaveCount(5);
  // kavex-dump's messages after an open (the first part of its log) are in the page's log
  const dumpLog = dump("kavex-sample.fls").split("\n\n")[1].split("\n").filter(Boolean);
  const texts = await page.locator("#log-list .vrow .l-text").allTextContents();
  expect(texts.length).toBeGreaterThan(0);
  for (const t of texts.slice(1, 4)) expect(dumpLog.some((l) => l.includes(t))).toBe(true);

  for (let k = 0; k < 5; ++k) {
    const toggle = toggles.nth(k);
    const kind = await toggle.getAttribute("data-kind");
    const before = await page.locator(`#log-list .vrow[data-kind="${kind}"]`).count();
    await toggle.click();
    await expect(toggle).toHaveAttribute("aria-pressed", "false");
    await expect(page.locator(`#log-list .vrow[data-kind="${kind}"]`)).toHaveCount(0);
    await toggle.click();
    await expect(toggle).toHaveAttribute("aria-pressed", "true");
    await expect(page.locator(`#log-list .vrow[data-kind="${kind}"]`)).toHaveCount(before);
  }

  // Info off, kept across a reload; copy all gives only the shown lines, CR LF each
  const info = toggles.nth(0);
  const infoKind = await info.getAttribute("data-kind");
  await info.click();
  await page.reload();
  await expect(page.locator("body")).toHaveAttribute("data-ready", "true");
  await expect(page.locator(".kind-toggle").nth(0)).toHaveAttribute("aria-pressed", "false");
  await page.goto("/#sample");
  await expect(page.locator("#tree .vrow").first()).toBeVisible();
  await expect(page.locator(`#log-list .vrow[data-kind="${infoKind}"]`)).toHaveCount(0);
  await page.context().grantPermissions(["clipboard-read", "clipboard-write"]);
  await page.click("#log-copy-all");
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  const shown = await page.locator("#log-list .vrow").count();
  expect(copied.split("\r\n").filter(Boolean).length).toBe(shown);
  expect(copied.endsWith("\r\n") || shown === 0).toBe(true);
  // the file the log exports holds the same lines
  const waiting = page.waitForEvent("download");
  await page.click("#log-export");
  const saved = readFileSync((await (await waiting).path())!, "utf8");
  expect(saved).toBe(copied);
  // and each is kavex-dump's line of the record (without the loading line, whose name differs)
  for (const line of copied.split("\r\n").filter(Boolean).slice(0, 3)) expect(dumpLog).toContain(line);
});

test("activating a log record selects its node", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const ppmRecord = page.locator("#log-list .vrow", { has: page.locator(".l-path", { hasText: /^\/PPM\/$/ }) }).first();
  await ppmRecord.dblclick();
  await expect(page.locator("#tree .vrow.selected")).toHaveAttribute("data-position", "2");
  const mcuRecord = page.locator("#log-list .vrow", { has: page.locator(".l-path", { hasText: /^\/MCU\/$/ }) }).first();
  await mcuRecord.click();
  await page.keyboard.press("Enter");
  await expect(page.locator("#tree .vrow.selected")).toHaveAttribute("data-position", "1");
});

test("the splitters' places are kept for the next visit", async ({ watched: page }) => {
  await loadPage(page, "#sample");
  const handle = page.locator("#split-tree");
  const box = (await handle.boundingBox())!;
  await page.mouse.move(box.x + 2, box.y + box.height / 2);
  await page.mouse.down();
  await page.mouse.move(box.x + 122, box.y + box.height / 2, { steps: 4 });
  await page.mouse.up();
  const width = await page.locator("#tree-pane").evaluate((e) => e.getBoundingClientRect().width);
  await page.reload();
  await expect(page.locator("body")).toHaveAttribute("data-ready", "true");
  expect(await page.locator("#tree-pane").evaluate((e) => e.getBoundingClientRect().width)).toBeCloseTo(width, 0);
});
