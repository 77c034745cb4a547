#!/usr/bin/env bash
# Builds the browser version into build-web/: the core compiled to WebAssembly with Debian's
# Emscripten (build-web/core), kavex-dump.js for Node, and the static site build-web/site/
# (index.html, app.js, style.css, kavex-core.js + .wasm, the sample images).
#
#   scripts/build-web.sh            (make web runs it after installing what is missing)
#
# JOBS sets the build's parallelism (default: the number of cores).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
out=$top/build-web
site=$out/site
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
cd "$top"

# Debian's Emscripten 3.1.6 finds its own Node modules only through NODE_PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# Its cache of system libraries lives in build-web/, seeded from the packaged one, so that a
# build needs no write access to /usr/share/emscripten.
if [ -z "${EM_CACHE:-}" ]; then
  export EM_CACHE=$out/em-cache
  if [ ! -e "$EM_CACHE/sysroot_install.stamp" ]; then
    mkdir -p "$out"
    rm -rf "$EM_CACHE.tmp"
    packaged=/usr/share/emscripten/cache
    if [ -d "$packaged" ]; then
      # Links where the file system allows them, copies elsewhere; the lock and stamp files
      # are the cache's own, as Emscripten writes them.
      cp -al "$packaged" "$EM_CACHE.tmp" 2>/dev/null || { rm -rf "$EM_CACHE.tmp"; cp -a "$packaged" "$EM_CACHE.tmp"; }
      for f in "$EM_CACHE.tmp"/*; do
        [ -f "$f" ] && { cp --remove-destination "$packaged/$(basename "$f")" "$f"; }
      done
    else
      mkdir -p "$EM_CACHE.tmp"
    fi
    mv "$EM_CACHE.tmp" "$EM_CACHE"
  fi
fi

echo "== WebAssembly core (build-web/core)"
if [ ! -f "$out/core/CMakeCache.txt" ]; then
  emcmake cmake -S web -B "$out/core" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$out/core" -j "$jobs"

mkdir -p "$site/samples"
cp "$out/core/kavex-dump.js" "$out/core/kavex-dump-batch.js" "$out/"
cp "$out/core/kavex-core.js" "$out/core/kavex-core.wasm" "$site/"

echo "== sample images"
native=${BUILD_DIR:-build}
samples=(kavex-sample.fls kavex-sample.wt kavex-sample-changed.fls)
missing=0
for s in "${samples[@]}"; do [ -f "$native/samples/$s" ] || missing=1; done
if [ $missing -eq 1 ]; then
  [ -f "$native/CMakeCache.txt" ] || cmake -S . -B "$native" >/dev/null
  cmake --build "$native" -j "$jobs" --target kavex_samples
fi
for s in "${samples[@]}"; do cp "$native/samples/$s" "$site/samples/"; done

echo "== page (web/)"
# npm ci only when the installed modules are older than the lock file (or missing).
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && npm ci --no-audit --no-fund)
fi
node web/build.mjs "$site"
echo "site built into $site"
