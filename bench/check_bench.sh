#!/usr/bin/env bash
# kavex-dump --check over 100 copies of the 4 MiB benchmark image, against sha256sum of the
# same files: reading and building every node of each image may take no longer than hashing
# it. Wall time, the shortest of 5 runs each (the machine is shared), with every file in the
# page cache. Real copies, not links: sha256sum then reads as many distinct pages as the check.
#
#   bench/check_bench.sh BUILD_DIR            the row of `make bench`; fails when the target is missed
#   bench/check_bench.sh BUILD_DIR --quick    3 copies, one run, not judged (the test run's smoke pass)
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [--quick]" >&2; exit 64; }
build=$1
copies=100 runs=5 quick=0
if [ "${2:-}" = --quick ]; then copies=3 runs=1 quick=1; fi
dump=$build/kavex-dump
maker=$build/bench/kavex_core_bench
for tool in "$dump" "$maker"; do
  [ -x "$tool" ] || { echo "missing $tool (build it first)" >&2; exit 64; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kavex-check-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$maker" --write-image="$work/image.fls"
for ((i = 1; i <= copies; i++)); do cp "$work/image.fls" "$(printf '%s/copy-%03d.fls' "$work" "$i")"; done
rm "$work/image.fls"
files=("$work"/copy-*.fls)
cat "${files[@]}" > /dev/null

micros() { local t=$EPOCHREALTIME; echo "${t/./}"; }

# best NAME ALLOWED COMMAND...: the shortest of the runs in microseconds, into best_NAME. A run
# must end with a status in ALLOWED and print one line per file.
best() {
  local name=$1 allowed=$2 shortest= start took status lines
  shift 2
  for ((r = 0; r < runs; r++)); do
    start=$(micros)
    status=0
    "$@" > "$work/out" 2> "$work/err" || status=$?
    took=$(($(micros) - start))
    case " $allowed " in *" $status "*) ;; *) echo "$name: status $status" >&2; cat "$work/err" >&2; exit 1 ;; esac
    lines=$(wc -l < "$work/out")
    [ "$lines" -eq "$copies" ] || { echo "$name: $lines lines for $copies files" >&2; exit 1; }
    if [ -z "$shortest" ] || [ "$took" -lt "$shortest" ]; then shortest=$took; fi
  done
  printf -v "best_$name" '%s' "$shortest"
}

# The benchmark image ends in the usual end chunk of 0xFF bytes, whose checksum warning makes
# each copy "1 warning" and the status 7.
best check "0 7" "$dump" --check "${files[@]}"
best sha "0" sha256sum "${files[@]}"

ms() { awk -v u="$1" 'BEGIN { printf "%.1f", u / 1000 }'; }
ratio=$(awk -v a="$best_check" -v b="$best_sha" 'BEGIN { printf "%.2f", a / b }')
met=$([ "$best_check" -le "$best_sha" ] && echo ok || echo "NOT MET")
[ $quick -eq 1 ] && met="(quick pass, not judged)"
printf '\n%-36s %9s %13s %7s %7s\n' "check step ($copies x 4 MiB)" "ms" "sha256sum ms" "ratio" "target"
printf '%-36s %9s %13s %7s %7s %s\n' "kavex-dump --check" "$(ms "$best_check")" "$(ms "$best_sha")" "$ratio" "<= 1" "$met"
if [ "$met" = "NOT MET" ]; then
  echo "Some check targets NOT met."
  exit 1
fi
[ $quick -eq 1 ] || echo "All check targets met."
