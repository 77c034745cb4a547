#!/usr/bin/env bash
# Holds the WebAssembly kavex-dump (build-web/kavex-dump.js under Node) against the native one:
# both dump every fuzz seed, kept corpus input and regression input, as text with --all
# --details --glyphs and the same as JSON, each from inside the input's folder under its bare
# name, as scripts/compare-dumps.sh does; standard output, standard error and exit status must
# be the same byte for byte.
#
#   scripts/compare-web-dumps.sh NATIVE_KAVEX_DUMP KAVEX_DUMP_JS
#
# The dumps run through kavex-dump-batch.js (kavex-dump's own code over a list of inputs, beside
# KAVEX_DUMP_JS); the command lines below run kavex-dump.js itself. The seeds come from
# kavex-fuzz-seeds beside the native tool (BUILD/fuzz/). JOBS runs that many at a time (default 2). Other command lines follow: every option, refusal and exit status.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 NATIVE_KAVEX_DUMP KAVEX_DUMP_JS" >&2; exit 64; }
native=$(realpath "$1"); wasm=$(realpath "$2")
batch=$(dirname "$wasm")/kavex-dump-batch.js
[ -f "$batch" ] || { echo "missing $batch (make web builds it)" >&2; exit 64; }
[ -x "$native" ] || { echo "not an executable: $1" >&2; exit 64; }
[ -f "$wasm" ] || { echo "missing $2 (make web builds it)" >&2; exit 64; }
seeds_tool=$(dirname "$native")/fuzz/kavex-fuzz-seeds
[ -x "$seeds_tool" ] || { echo "missing $seeds_tool (build the kavex-fuzz-seeds target)" >&2; exit 64; }
top=$(cd "$(dirname "$0")/.." && pwd)
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
"$seeds_tool" "$work/seeds" >/dev/null

# One line per dump: folder, bare name, form, and the name of its results.
jobs_file=$work/jobs
n=0
for folder in "$work/seeds" "$top/fuzz/corpus" "$top/tests/fuzz-regressions"; do
  for f in "$folder"/*; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    printf '%s\t%s\ttext\t%s\n%s\t%s\tjson\t%s\n' "$folder" "$(basename "$f")" "d$n.text" \
      "$folder" "$(basename "$f")" "d$n.json" >> "$jobs_file"
  done
done
# COMMANDS_ONLY=1 leaves the dumps out (while working on the command lines).
[ "${COMMANDS_ONLY:-0}" = 1 ] && : > "$jobs_file"
count=$(wc -l < "$jobs_file")
mkdir -p "$work/native" "$work/wasm"

# The native tool once a dump; kavex-dump's own code in WebAssembly over the whole list in a
# few Node processes (starting Node costs more than most dumps), the list split among them.
cat > "$work/one.sh" <<'ONE'
set -u
IFS=$'\t' read -r folder name mode key <<< "$1"
args=(--all --details --glyphs)
[ "$mode" = json ] && args=(--json "${args[@]}")
out=$WORK/native/$key
cd "$folder"
s=0; "$NATIVE" "${args[@]}" "$name" > "$out.1" 2> "$out.2" || s=$?; echo "$s" > "$out.3"
ONE
parts=${JOBS:-2}
split -n "l/$parts" -d "$jobs_file" "$work/part."
batch_status=0
for part in "$work"/part.*; do
  sed "s#\t\(d[0-9]*\.[a-z]*\)\$#\t$work/wasm/\1#" "$part" > "$part.wasm"
  node "$batch" "$part.wasm" &
done
WORK=$work NATIVE=$native xargs -r -d '\n' -n 1 -P "$parts" bash "$work/one.sh" < "$jobs_file" || true
for job in $(jobs -p); do wait "$job" || batch_status=1; done
[ $batch_status -eq 0 ] || { echo "kavex-dump-batch.js failed" >&2; exit 1; }
: > "$work/report"
diff -rq "$work/native" "$work/wasm" | sed "s#$work/##g" | while read -r line; do
  key=$(echo "$line" | grep -o 'd[0-9]*\.[a-z]*\.[123]' | head -n 1)
  [ -n "$key" ] || { echo "$line"; continue; }
  job=$(grep -P "\t${key%.*}\$" "$jobs_file" | cut -f1,2 | tr '\t' '/')
  what=(stdout stderr "exit status"); form=${key#*.}
  echo "differs (${form%.*}, ${what[$((${key##*.} - 1))]}): $job"
done >> "$work/report"

# The other command lines, each run by both tools from a folder of seeds: the options, their
# refusals and exit statuses, --check's lines (more than ten files, standard error no terminal:
# no progress), --extract to standard output, exports (the text files byte for byte; the
# glyph sheets by name, as the two PNG writers differ: the binding's tests compare their pixels).
seed_files=("$work"/seeds/*)
twelve=()
for ((i = 0; i < 12; i++)); do twelve+=("$(basename "${seed_files[$((i % ${#seed_files[@]}))]}")"); done
first=$(basename "${seed_files[0]}")
sample_dir=$(dirname "$native")/samples
mkdir -p "$work/cmd"
commands=(
  "--help" "--version" "" "--nosuch x" "--json --extract 1 x" "no-such-file" "."
  "--check ${twelve[*]}" "--offsets --all $first" "--extract 0 --out - $first" "--extract 9.9.9 --out - $first"
)
for sample in "$sample_dir"/kavex-sample.fls "$sample_dir"/kavex-sample.wt; do
  [ -f "$sample" ] || continue
  cp "$sample" "$work/seeds/"
  commands+=("--export-texts OUT/texts --export-fonts OUT/fonts $(basename "$sample")" "--extract 2.1 --out - $(basename "$sample")")
done
n=0
for line in "${commands[@]}"; do
  n=$((n + 1))
  read -r -a args <<< "${line//OUT/$work/cmd/OUTDIR}"
  for tool in n w; do
    rm -rf "$work/cmd/OUTDIR"
    s=0
    if [ $tool = n ]; then (cd "$work/seeds" && "$native" "${args[@]}") > "$work/cmd/$tool.1" 2> "$work/cmd/$tool.2" || s=$?
    else (cd "$work/seeds" && node "$wasm" "${args[@]}") > "$work/cmd/$tool.1" 2> "$work/cmd/$tool.2" || s=$?; fi
    echo "$s" > "$work/cmd/$tool.3"
    if [ -d "$work/cmd/OUTDIR" ]; then
      (cd "$work/cmd/OUTDIR" && find . -type f | sort && find . -name '*.tsv' | sort | xargs -r cat) > "$work/cmd/$tool.4"
    else : > "$work/cmd/$tool.4"; fi
    sed -i "s#$work/cmd/OUTDIR#OUT#g" "$work/cmd/$tool.1" "$work/cmd/$tool.2"
  done
  for part in 1 2 3 4; do
    cmp -s "$work/cmd/n.$part" "$work/cmd/w.$part" ||
      { what=(stdout stderr "exit status" "files written"); echo "differs (kavex-dump ${line:-without arguments}: ${what[$((part - 1))]})"; } >> "$work/report"
  done
  count=$((count + 1))
done

if [ -s "$work/report" ]; then
  echo "WebAssembly and native kavex-dump differ in $(wc -l < "$work/report") of $count dumps:"
  head -n 40 "$work/report"
  exit 1
fi
echo "identical: $count dumps and command lines (stdout, stderr, exit status and files written)"
