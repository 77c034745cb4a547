#!/usr/bin/env bash
# The WebAssembly core under Node against the native one: kavex-dump.js --check over 100 copies
# of the 4 MiB benchmark image (reading and building every node of each) may take at most 6
# times as long as the native kavex-dump --check of the same files. Wall time, the shortest of
# 3 runs each (the machine is shared), Node's start included. The page's own row (open and build
# every node in Chromium, at most 3 times native: web/bench/bench.mjs) has no files to read;
# here every image comes through Node's file system layer, which costs about as much again as
# building it, so this row guards kavex-dump.js against getting slower rather than matching it.
#
#   bench/web_dump_bench.sh BUILD_DIR KAVEX_DUMP_JS     a row of `make bench` when make web has run
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR KAVEX_DUMP_JS" >&2; exit 64; }
build=$1 js=$2
copies=100 runs=3
dump=$build/kavex-dump
maker=$build/bench/kavex_core_bench
for tool in "$dump" "$maker"; do [ -x "$tool" ] || { echo "missing $tool (build it first)" >&2; exit 64; }; done
[ -f "$js" ] || { echo "missing $js (make web builds it)" >&2; exit 64; }
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

work=$(mktemp -d "${TMPDIR:-/tmp}/kavex-web-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$maker" --write-image="$work/image.fls"
for ((i = 1; i <= copies; i++)); do cp "$work/image.fls" "$(printf '%s/copy-%03d.fls' "$work" "$i")"; done
rm "$work/image.fls"
files=("$work"/copy-*.fls)
cat "${files[@]}" > /dev/null

micros() { local t=$EPOCHREALTIME; echo "${t/./}"; }
best() {  # best NAME COMMAND...: the shortest run in microseconds, into best_NAME
  local name=$1 shortest= start took status
  shift
  for ((r = 0; r < runs; r++)); do
    start=$(micros)
    status=0
    "$@" > "$work/out.$name" 2>&1 || status=$?
    took=$(($(micros) - start))
    # each copy ends in the usual end chunk of 0xFF bytes: "1 warning", status 7
    [ "$status" -eq 0 ] || [ "$status" -eq 7 ] || { echo "$name: status $status" >&2; cat "$work/out.$name" >&2; exit 1; }
    if [ -z "$shortest" ] || [ "$took" -lt "$shortest" ]; then shortest=$took; fi
  done
  printf -v "best_$name" '%s' "$shortest"
}
best native "$dump" --check "${files[@]}"
best wasm node "$js" --check "${files[@]}"
cmp -s "$work/out.native" "$work/out.wasm" || { echo "kavex-dump.js --check prints other lines than kavex-dump" >&2; exit 1; }

ms() { awk -v u="$1" 'BEGIN { printf "%.1f", u / 1000 }'; }
ratio=$(awk -v a="$best_wasm" -v b="$best_native" 'BEGIN { printf "%.2f", a / b }')
met=$(awk -v r="$ratio" 'BEGIN { print (r <= 6 ? "ok" : "NOT MET") }')
printf '\n%-36s %9s %13s %7s %7s\n' "WebAssembly step ($copies x 4 MiB)" "ms" "native ms" "ratio" "target"
printf '%-36s %9s %13s %7s %7s %s\n' "kavex-dump.js --check (Node)" "$(ms "$best_wasm")" "$(ms "$best_native")" "$ratio" "<= 6" "$met"
[ "$met" = ok ]
