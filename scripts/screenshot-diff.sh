#!/usr/bin/env bash
# Retakes docs/screenshot-diff.png: kavex-diff's HTML page for the sample image against its
# changed copy, drawn by a headless Chromium (apt-get install chromium).
#   scripts/screenshot-diff.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
command -v chromium >/dev/null || { echo "chromium is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Names as the README's command gives them, from the build folder's parent: the images differ.
name=$(basename "$build")
status=0
(cd "$build/.." && "$build/kavex-diff" --html "$work/diff.html" "$name/samples/kavex-sample.fls" \
   "$name/samples/kavex-sample-changed.fls" >/dev/null) || status=$?
[ "$status" -eq 1 ] || { echo "kavex-diff ended with $status" >&2; exit 1; }
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=900,1420 \
  --screenshot="$work/diff.png" "file://$work/diff.html" >/dev/null 2>&1
cp "$work/diff.png" "$root/docs/screenshot-diff.png"
echo "docs/screenshot-diff.png"
