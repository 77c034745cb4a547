#!/usr/bin/env bash
# Holds the WebAssembly kavex-dump (build-web/kavex-dump.js under Node) against the native one:
# both dump every fuzz seed, kept corpus input and regression input, as text with --all
# --details --glyphs and the same as JSON, each from inside the input's folder under its bare
# name, as scripts/compare-dumps.sh does; standard output, standard error and exit status must
# be the same byte for byte.
#
#   scripts/compare-web-dumps.sh NATIVE_KAVEX_DUMP KAVEX_DUMP_JS
#
# The seeds come from kavex-fuzz-seeds beside the native tool (BUILD/fuzz/). JOBS runs that many
# dumps at a time (default 2).
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 NATIVE_KAVEX_DUMP KAVEX_DUMP_JS" >&2; exit 64; }
native=$(realpath "$1"); wasm=$(realpath "$2")
[ -x "$native" ] || { echo "not an executable: $1" >&2; exit 64; }
[ -f "$wasm" ] || { echo "missing $2 (make web builds it)" >&2; exit 64; }
seeds_tool=$(dirname "$native")/fuzz/kavex-fuzz-seeds
[ -x "$seeds_tool" ] || { echo "missing $seeds_tool (build the kavex-fuzz-seeds target)" >&2; exit 64; }
top=$(cd "$(dirname "$0")/.." && pwd)
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
"$seeds_tool" "$work/seeds" >/dev/null

jobs_file=$work/jobs
for folder in "$work/seeds" "$top/fuzz/corpus" "$top/tests/fuzz-regressions"; do
  for f in "$folder"/*; do
    [ -f "$f" ] || continue
    printf '%s\t%s\ttext\n%s\t%s\tjson\n' "$folder" "$(basename "$f")" "$folder" "$(basename "$f")" >> "$jobs_file"
  done
done

# One input in one form: both tools, their three results side by side, a line on a difference.
cat > "$work/one.sh" <<'ONE'
set -u
IFS=$'\t' read -r folder name mode <<< "$1"
out=$WORK/out/$(printf '%s' "$folder/$name.$mode" | md5sum | cut -c1-16)
args=(--all --details --glyphs)
[ "$mode" = json ] && args=(--json "${args[@]}")
cd "$folder"
s=0; "$NATIVE" "${args[@]}" "$name" > "$out.n1" 2> "$out.n2" || s=$?; echo "$s" > "$out.n3"
s=0; node "$WASM" "${args[@]}" "$name" > "$out.w1" 2> "$out.w2" || s=$?; echo "$s" > "$out.w3"
for part in 1 2 3; do
  if ! cmp -s "$out.n$part" "$out.w$part"; then
    what=(stdout stderr "exit status"); echo "differs ($mode, ${what[$((part - 1))]}): $folder/$name"
  fi
done
rm -f "$out".n? "$out".w?
ONE
mkdir -p "$work/out"
count=$(wc -l < "$jobs_file")
WORK=$work NATIVE=$native WASM=$wasm xargs -d '\n' -n 1 -P "${JOBS:-2}" bash "$work/one.sh" < "$jobs_file" > "$work/report" || true
if [ -s "$work/report" ]; then
  echo "WebAssembly and native kavex-dump differ in $(wc -l < "$work/report") of $count dumps:"
  head -n 40 "$work/report"
  exit 1
fi
echo "identical: $count dumps (stdout, stderr and exit status)"
