// Builds the page: typechecks web/ (tsc --noEmit; a type error stops the build), bundles
// web/src/main.ts to OUTDIR/app.js (minified, with a source map) and copies web/static/*
// next to it.
//
//   node web/build.mjs OUTDIR            (KAVEX_NO_TYPECHECK=1 skips the typecheck)
import { build } from "esbuild";
import { execFileSync } from "node:child_process";
import { cpSync, mkdirSync, readdirSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const outdir = resolve(process.argv[2] ?? join(here, "..", "build-web", "site"));
mkdirSync(outdir, { recursive: true });

if (!process.env.KAVEX_NO_TYPECHECK) {
  try {
    execFileSync(process.execPath, [join(here, "node_modules", "typescript", "bin", "tsc"), "--noEmit", "-p", here], { stdio: "inherit" });
  } catch {
    console.error("build.mjs: the page does not typecheck");
    process.exit(1);
  }
}

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
