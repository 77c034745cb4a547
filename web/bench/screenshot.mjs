// The README's picture of the page: headless Chromium over the built site with the 4 MiB
// benchmark image opened by the file picker and a text table shown.
//
//   node web/bench/screenshot.mjs [OUT.png]     (from web/; default ../docs/screenshot-web.png)
import { chromium } from "@playwright/test";
import { execFileSync, spawn } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const web = resolve(dirname(fileURLToPath(import.meta.url)), "..");
const out = resolve(process.argv[2] ?? join(web, "..", "docs", "screenshot-web.png"));
const build = resolve(web, process.env.KAVEX_BUILD ?? "../build");
const site = resolve(web, process.env.KAVEX_SITE ?? "../build-web/site");
const port = Number(process.env.KAVEX_SHOT_PORT ?? 8096);
const work = mkdtempSync(join(tmpdir(), "kavex-shot-"));
const image = join(work, "benchmark-4MiB.fls");
execFileSync(join(build, "bench", "kavex_core_bench"), [`--write-image=${image}`]);

const server = spawn(process.execPath, [join(web, "e2e", "serve.mjs"), site, String(port)], { stdio: ["ignore", "pipe", "inherit"] });
await new Promise((ok) => server.stdout.once("data", ok));
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run"],
});
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 880 } });
  page.on("pageerror", (error) => { throw error; });
  await page.goto(`http://localhost:${port}/`);
  await page.waitForSelector("body[data-ready=true]");
  const chooser = page.waitForEvent("filechooser");
  await page.click("#open");
  await (await chooser).setFiles(image);
  const row = (p) => page.locator(`#tree .vrow[data-position="${p}"]`);
  await row("2.1").locator(".twisty").click();
  await row("2.1.1").locator(".caption").click();
  await page.locator("#details .text-table .vrow").first().waitFor();
  await page.locator('#details .text-table .vrow[data-row="3"]').click();
  await page.waitForTimeout(200);
  await page.screenshot({ path: out });
  console.log(`wrote ${out}`);
} finally {
  await browser.close();
  server.kill();
  rmSync(work, { recursive: true, force: true });
}
