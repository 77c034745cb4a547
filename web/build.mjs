// Bundles the page: web/src/main.ts -> OUTDIR/app.js (minified, with a source map) and copies
// web/static/* next to it. Typecheck first with `npx tsc --noEmit` (npm run build does both).
//
//   node web/build.mjs OUTDIR
import { build } from "esbuild";
import { cpSync, mkdirSync, readdirSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const outdir = resolve(process.argv[2] ?? join(here, "..", "build-web", "site"));
mkdirSync(outdir, { recursive: true });

await build({
  entryPoints: [join(here, "src", "main.ts")],
  outfile: join(outdir, "app.js"),
  bundle: true,
  minify: true,
  sourcemap: true,
  format: "iife",
  target: "es2022",
  legalComments: "none",
  logLevel: "warning",
});

const staticDir = join(here, "static");
for (const name of readdirSync(staticDir)) cpSync(join(staticDir, name), join(outdir, name), { recursive: true });
console.log(`page built into ${outdir}`);
