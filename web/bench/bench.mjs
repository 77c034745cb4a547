// The page's rows of `make bench`, in headless Chromium over the built site:
//   - open and build every node of the 4 MiB benchmark image through the page (open, then
//     the tree opened whole, as "*" on the root does, and its rows on screen drawn) against the native kavex-dump --check
//     of the same file in the same run: at most 3 times its time;
//   - the first paint of the page from localhost: under 500 ms;
//   - everything the page loads, each file gzip-compressed, summed: under 1 MiB.
// Wall times are the shortest of the runs (the machine is shared). Exits 1 when a target is
// missed.
//
//   node web/bench/bench.mjs [--quick]        (from web/; needs build-web/site and build/)
//   env: KAVEX_BUILD (native build folder, ../build), KAVEX_SITE (../build-web/site),
//        CHROMIUM (/usr/bin/chromium), KAVEX_BENCH_PORT (8094)
import { chromium } from "@playwright/test";
import { execFileSync, spawn } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync } from "node:zlib";

const here = dirname(fileURLToPath(import.meta.url));
const web = resolve(here, "..");
const quick = process.argv.includes("--quick");
const runs = quick ? 1 : 5;
const build = resolve(web, process.env.KAVEX_BUILD ?? "../build");
const site = resolve(web, process.env.KAVEX_SITE ?? "../build-web/site");
const port = Number(process.env.KAVEX_BENCH_PORT ?? 8094);
const flags = ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--no-first-run"];

const work = mkdtempSync(join(tmpdir(), "kavex-web-bench-"));
const image = join(work, "bench-image.fls");
execFileSync(join(build, "bench", "kavex_core_bench"), [`--write-image=${image}`]);
const imageBytes = readFileSync(image);

// native: kavex-dump --check builds every node of the file
function nativeMs() {
  let best = Infinity;
  for (let r = 0; r < runs; ++r) {
    const start = process.hrtime.bigint();
    try {
      execFileSync(join(build, "kavex-dump"), ["--check", image], { stdio: "pipe" });
    } catch (error) {
      if (error.status !== 7) throw error;  // the image's end chunk gives one warning
    }
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e6);
  }
  return best;
}

const server = spawn(process.execPath, [join(web, "e2e", "serve.mjs"), site, String(port)], { stdio: ["ignore", "pipe", "inherit"] });
await new Promise((ok) => server.stdout.once("data", ok));
const base = `http://localhost:${port}/`;
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium", args: flags, headless: true });
let status = 0;
try {
  // first paint and the loaded files
  let paint = Infinity;
  const loaded = new Set();
  for (let r = 0; r < runs; ++r) {
    const context = await browser.newContext();
    const page = await context.newPage();
    page.on("response", (response) => loaded.add(new URL(response.url()).pathname));
    await page.goto(base, { waitUntil: "load" });
    await page.waitForSelector("body[data-ready=true]");
    const ms = await page.evaluate(() => {
      const entries = performance.getEntriesByType("paint");
      const first = entries.find((e) => e.name === "first-contentful-paint") ?? entries.find((e) => e.name === "first-paint");
      return first ? first.startTime : NaN;
    });
    paint = Math.min(paint, ms);
    await context.close();
  }
  let compressed = 0;
  for (const path of loaded) {
    const file = join(site, path === "/" ? "index.html" : decodeURIComponent(path));
    compressed += gzipSync(readFileSync(file), { level: 9 }).length;
  }

  // open and build every node through the page: the runs one after another in one page, as
  // the native runs follow one another (the first, with the WebAssembly code not yet
  // optimised by the browser, is shown too)
  let browserMs = Infinity;
  let firstMs = 0;
  let rows = 0;
  {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.route(`${base}bench-image.fls`, (route) => route.fulfill({ body: imageBytes, contentType: "application/octet-stream" }));
    await page.goto(base);
    await page.waitForSelector("body[data-ready=true]");
    await page.evaluate(async () => {
      window.benchBytes = new Uint8Array(await (await fetch("bench-image.fls")).arrayBuffer());
    });
    for (let r = 0; r < runs + 1; ++r) {
      const result = await page.evaluate(() => {
        const start = performance.now();
        window.kavexPage.openBytes(window.benchBytes, "bench-image.fls");
        const shown = window.kavexPage.expandAll();
        window.kavexPage.drawTree();  // the rows on screen drawn and laid out, counted too
        return { ms: performance.now() - start, shown };
      });
      if (r === 0) firstMs = result.ms;
      browserMs = Math.min(browserMs, result.ms);
      rows = result.shown;
      await page.waitForTimeout(50);  // the page's own work after the builds (the log)
    }
    await context.close();
  }
  const native = nativeMs();

  const ratio = browserMs / native;
  const verdict = (ok) => (quick ? "(quick pass, not judged)" : ok ? "ok" : "NOT MET");
  const rowsOut = [
    ["browser: open and build every node (4 MiB)", browserMs.toFixed(1), native.toFixed(1), ratio.toFixed(2), "<= 3", verdict(ratio <= 3)],
    ["browser: first paint from localhost", paint.toFixed(1), "", "", "< 500 ms", verdict(paint < 500)],
    ["browser: page size, gzip, KiB", (compressed / 1024).toFixed(1), "", "", "< 1024", verdict(compressed < 1 << 20)],
  ];
  console.log(`\n${"browser step".padEnd(44)} ${"value".padStart(9)} ${"native ms".padStart(10)} ${"ratio".padStart(6)} ${"target".padStart(9)}`);
  for (const [name, value, nat, rat, target, met] of rowsOut)
    console.log(`${name.padEnd(44)} ${value.padStart(9)} ${nat.padStart(10)} ${rat.padStart(6)} ${target.padStart(9)} ${met}`);
  console.log(`(first run in a fresh page ${firstMs.toFixed(1)} ms; ${rows} tree rows built; files loaded: ${[...loaded].sort().join(" ")})`);
  if (rowsOut.some((r) => r[5] === "NOT MET")) {
    console.log("Some browser targets NOT met.");
    status = 1;
  } else if (!quick) console.log("All browser targets met.");
} finally {
  await browser.close();
  server.kill();
  rmSync(work, { recursive: true, force: true });
}
process.exit(status);
