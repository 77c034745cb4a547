// What every page test shares: the page may ask nothing of another origin and may log no
// error; the native kavex-dump to compare with; opening and walking the tree as a user does.
import { test as base, expect, type Page } from "@playwright/test";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

export const SiteDir = resolve(process.env.KAVEX_SITE ?? "../build-web/site");
export const Sample = join(SiteDir, "samples", "kavex-sample.fls");
export const SampleChanged = join(SiteDir, "samples", "kavex-sample-changed.fls");
export const KavexDump = resolve(process.env.KAVEX_DUMP ?? "../build/kavex-dump");

/** kavex-dump's output for args, run in the samples folder (so that "kavex-sample.fls"
 *  names the file as the page names it). */
export function dump(...args: string[]): string {
  try {
    return execFileSync(KavexDump, args, { encoding: "utf8", maxBuffer: 64 << 20, cwd: join(SiteDir, "samples") });
  } catch (error) {
    // kavex-dump ends with a status for warnings and errors; its output still counts.
    const out = (error as { stdout?: string }).stdout;
    if (typeof out === "string" && out.length) return out;
    throw error;
  }
}

/** kavex-dump's raw standard output (--extract ... --out -). */
export function dumpRaw(...args: string[]): Buffer {
  return execFileSync(KavexDump, args, { maxBuffer: 64 << 20, cwd: join(SiteDir, "samples") });
}

/** kavex-dump --export-texts/--export-fonts of file into a new folder. */
export function dumpExports(file: string): { texts: string; fonts: string } {
  const dir = mkdtempSync(join(tmpdir(), "kavex-e2e-"));
  const texts = join(dir, "texts");
  const fonts = join(dir, "fonts");
  try {
    execFileSync(KavexDump, ["--export-texts", texts, "--export-fonts", fonts, file], { stdio: "pipe" });
  } catch {
    // a status for the image's warnings; the files are written all the same
  }
  return { texts, fonts };
}

export function readBytes(path: string): Buffer {
  return readFileSync(path);
}

export const test = base.extend<{ watched: Page }>({
  watched: async ({ page, baseURL }, use) => {
    const origin = new URL(baseURL!).origin;
    const faults: string[] = [];
    page.on("request", (request) => {
      const url = new URL(request.url());
      if (url.protocol === "data:" || url.protocol === "blob:") return;
      if (url.origin !== origin) faults.push(`request to another origin: ${request.url()}`);
    });
    page.on("console", (message) => {
      if (message.type() === "error") faults.push(`console error: ${message.text()}`);
    });
    page.on("pageerror", (error) => faults.push(`page error: ${error.message}`));
    await use(page);
    expect(faults, "no foreign request and no error on the page").toEqual([]);
  },
});

export { expect };

export async function loadPage(page: Page, hash = ""): Promise<void> {
  await page.goto(`/${hash}`);
  await expect(page.locator("body")).toHaveAttribute("data-ready", "true");
}

/** Opens file by the page's file picker (the Open... button). */
export async function openByPicker(page: Page, file: string): Promise<void> {
  const chooser = page.waitForEvent("filechooser");
  await page.click("#open");
  await (await chooser).setFiles(file);
  await expect(page.locator('#tree .vrow[data-position="0"]')).toBeVisible();
}

export function row(page: Page, position: string) {
  return page.locator(`#tree .vrow[data-position="${position}"]`);
}

/** Selects the node at position ("2.1.1"), opening the nodes above it by their twisty. */
export async function selectNode(page: Page, position: string): Promise<void> {
  const parts = position.split(".");
  for (let i = 1; i < parts.length; ++i) {
    const above = row(page, parts.slice(0, i).join("."));
    await above.scrollIntoViewIfNeeded();
    if ((await above.getAttribute("aria-expanded")) === "false") await above.locator(".twisty").click();
    await expect(above).toHaveAttribute("aria-expanded", "true");
  }
  const target = row(page, position);
  await target.scrollIntoViewIfNeeded();
  await target.locator(".caption").click();
  await expect(target).toHaveClass(/selected/);
}

/** The tree's lines as kavex-dump prints them (two blanks a level, class and caption). */
export async function shownTree(page: Page): Promise<string[]> {
  return page.evaluate(() =>
    [...document.querySelectorAll<HTMLElement>("#tree .vrow")]
      .sort((a, b) => Number(a.dataset.row) - Number(b.dataset.row))
      .map((r) => `${"  ".repeat(Number(r.getAttribute("aria-level")) - 1)}${r.dataset.kind} ${r.querySelector(".caption")!.textContent}`));
}
