// Browser tests of the page: Debian's Chromium, headless, over the built site.
import { defineConfig } from "@playwright/test";

const Site = process.env.KAVEX_SITE ?? "../build-web/site";
export const Port = Number(process.env.KAVEX_WEB_PORT ?? 8093);

export const ChromiumFlags = [
  "--no-sandbox",
  "--disable-gpu",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
  "--no-first-run",
];

export default defineConfig({
  testDir: "e2e",
  timeout: 60_000,
  fullyParallel: false,
  workers: 1,
  reporter: [["list"]],
  use: {
    baseURL: `http://localhost:${Port}/`,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1400, height: 900 },
    launchOptions: {
      executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
      args: ChromiumFlags,
    },
  },
  webServer: {
    command: `node e2e/serve.mjs ${Site} ${Port}`,
    url: `http://localhost:${Port}/index.html`,
    reuseExistingServer: false,
    timeout: 20_000,
  },
});
