#!/usr/bin/env bash
# Makes the sample image and retakes docs/screenshot-text.png and docs/screenshot-font.png:
# the viewer runs under a virtual display with settings of its own, opens the image from its
# recent-files list and is steered through the tree with the keyboard.
# Needs xvfb-run, xdotool and ImageMagick's import.   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

if [ -z "${KAVEX_SHOTS_INNER:-}" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  QT_QPA_PLATFORM=offscreen "$build/tests/ui/kavex_sample_image" "$work/sample.fls"
  mkdir -p "$work/config/Quorrel"
  cat >"$work/config/Quorrel/Kavex.conf" <<EOF
[Reopen]
0=$work/sample.fls

[PosMain]
Left=20
Top=20
Width=900
Height=560
WindowState=0

[PosMainTree]
Width=300

[Unicode]
FontName=DejaVu Sans
FontSize=9
FontCharset=1
EOF
  KAVEX_SHOTS_INNER=1 XDG_CONFIG_HOME="$work/config" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
  exit
fi

"$build/kavex" &
viewer=$!
trap 'kill "$viewer" 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --name 'Kavex v' | head -n1)
keys() {
  timeout 10 xdotool windowfocus --sync "$window"
  xdotool key --delay 120 "$@"
  sleep 0.7
}
# File menu, first recent file; the root is then selected and the tree has the focus.
keys alt+f 1
# MCU, PPM, the TEXT chunk opened, its Russian table (two bytes a character).
keys Down Down Down Right Down Down Down
import -window "$window" "$root/docs/screenshot-text.png"
# Back to the chunk, closed; the FONT chunk opened, its font subchunk opened, the font.
keys Left Left Down Right Down Right Down
import -window "$window" "$root/docs/screenshot-font.png"
keys alt+x
wait "$viewer" || true
