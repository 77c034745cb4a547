#!/usr/bin/env bash
# Guards refactorings of the model: dumps every fuzz seed, kept corpus input and regression
# input with kavex-dump (text with --all --details --glyphs, and the same as JSON), so that the
# dumps of two builds can be compared byte for byte.
#
#   scripts/compare-dumps.sh save  KAVEX_DUMP OUT_DIR     write the dumps of one build
#   scripts/compare-dumps.sh check KAVEX_DUMP OLD_DIR     dump again and compare with OLD_DIR
#
# The seeds come from kavex-fuzz-seeds next to KAVEX_DUMP's build (BUILD/fuzz/). Each input is
# dumped from inside its own folder under its bare name, so the dumps do not depend on where
# the inputs or the build live. The exit status of each run is kept beside its output.
set -euo pipefail

usage() { echo "usage: $0 save|check KAVEX_DUMP DIR" >&2; exit 64; }
[ $# -eq 3 ] || usage
mode=$1; dump=$(realpath "$2"); dir=$3
case $mode in save|check) ;; *) usage ;; esac
[ -x "$dump" ] || { echo "not an executable: $2" >&2; exit 64; }
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(dirname "$dump")
seeds_tool=$build/fuzz/kavex-fuzz-seeds
[ -x "$seeds_tool" ] || { echo "missing $seeds_tool (build the kavex-fuzz-seeds target)" >&2; exit 64; }

work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
"$seeds_tool" "$work/seeds" >/dev/null
out=$dir
[ "$mode" = check ] && out=$work/new
mkdir -p "$out"

run() {  # run FOLDER OUTPUT ARGS...: one dump, its exit status on the last line
  local folder=$1 output=$2 status=0; shift 2
  ( cd "$folder" && "$dump" "$@" ) > "$output" 2>&1 || status=$?
  echo "exit $status" >> "$output"
}

dump_folder() {  # dump_folder LABEL FOLDER
  local label=$1 folder=$2 f name
  mkdir -p "$out/$label"
  for f in "$folder"/*; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    run "$folder" "$out/$label/$name.txt" --all --details --glyphs "$name"
    run "$folder" "$out/$label/$name.json" --json --all --details --glyphs "$name"
  done
}

dump_folder seeds "$work/seeds"
dump_folder corpus "$top/fuzz/corpus"
dump_folder regressions "$top/tests/fuzz-regressions"

count=$(find "$out" -type f | wc -l)
if [ "$mode" = save ]; then
  echo "wrote $count dumps to $out"
else
  if diff -r -q "$dir" "$out" > "$work/diff.txt"; then
    echo "identical: $count dumps"
  else
    echo "dumps differ:"; head -n 40 "$work/diff.txt"; exit 1
  fi
fi
