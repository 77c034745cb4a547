#!/usr/bin/env bash
# Retakes docs/screenshot-viewer.png, docs/screenshot-text.png, docs/screenshot-font.png,
# docs/screenshot-font-zoom.png, docs/screenshot-bytes.png, docs/screenshot-find.png and
# docs/screenshot-problems.png, docs/screenshot-compare-text.png and docs/screenshot-compare-font.png
# with the sample image that the build makes (the problems with a copy damaged in three places,
# the comparison with the sample's changed copy): the viewer runs under a virtual display with
# settings of its own, opens the sample with Help > Open sample image and is steered through
# the tree with the keyboard.
# Needs xvfb-run, xdotool and ImageMagick's import.   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

if [ -z "${KAVEX_SHOTS_INNER:-}" ]; then
  [ -f "$build/samples/kavex-sample.fls" ] || { echo "No sample image in $build/samples: build first" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/config/Quorrel"
  cat >"$work/config/Quorrel/Kavex.conf" <<CONF
[PosMain]
Left=0
Top=0
Width=900
Height=560
WindowState=0

[PosMainTree]
Width=300

[PosLog]
Left=560
Top=0
Width=620
Height=560
WindowState=0

[Unicode]
FontName=DejaVu Sans
FontSize=9
FontCharset=1
CONF
  # The damaged copy: a byte of the MCU's code, a letter of a German entry and the length of a
  # tone subchunk changed.
  cp "$build/samples/kavex-sample.fls" "$work/damaged.fls"
  for at in 16384:FF 131584:01 134834:40; do
    off=${at%%:*}
    old=$(od -An -tu1 -j "$off" -N1 "$work/damaged.fls" | tr -d ' ')
    printf "\\$(printf '%03o' $(( old ^ 0x${at##*:} )))" | dd of="$work/damaged.fls" bs=1 seek="$off" conv=notrunc status=none
  done
  KAVEX_SHOTS_INNER=1 KAVEX_SHOTS_DAMAGED="$work/damaged.fls" XDG_CONFIG_HOME="$work/config" \
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
# Help > Open sample image; the root is then selected and the tree has the focus.
keys alt+h s
# MCU, PPM, the TEXT chunk opened, its Russian table (two bytes a character).
keys Down Down Down Right Down Down Down Down
import -window "$window" "$root/docs/screenshot-text.png"
# Back to the chunk, closed; the FONT chunk opened, its font subchunk opened, the large font.
keys Left Left Down Right Down Right Down Down
import -window "$window" "$root/docs/screenshot-font.png"
# The same font zoomed to 3 x (View > Zoom in twice), with the tool tip of a cell.
keys ctrl+equal ctrl+equal
xdotool mousemove --window "$window" 372 118
sleep 2
import -window root -crop 900x560+0+0 +repage "$root/docs/screenshot-font-zoom.png"
keys ctrl+minus ctrl+minus
# The font chunk closed again; the operator lists and the unknown chunk opened; then the tree
# beside the log window.
keys Left Left Left Left Down Down Right End Up Up Right
xdotool windowsize --sync "$window" 560 560
sleep 0.5
keys ctrl+Home
xdotool mousemove --window "$window" 150 40 click 1
sleep 1
import -window root -crop 1180x560+0+0 +repage "$root/docs/screenshot-viewer.png"
# The log window out of the way; Edit > Find (Ctrl+F) for "ton" in every text table, the first
# hit chosen, then F3 twice.
xdotool windowunmap "$(xdotool search --name '^Log$' | head -n1)"
xdotool windowsize --sync "$window" 900 640
sleep 0.5
# The bytes view (Ctrl+B) of the first operator list, its length value clicked: the length's
# bytes selected, the subchunk header tinted.
keys ctrl+b Home Down Down Down Down Down Down Down
xdotool mousemove --window "$window" 420 105 click 1
sleep 1
import -window "$window" "$root/docs/screenshot-bytes.png"
keys ctrl+b
xdotool windowsize --sync "$window" 900 600
sleep 0.5
keys ctrl+f
xdotool type --delay 80 ton
keys Return
keys F3 F3
import -window "$window" "$root/docs/screenshot-find.png"
# The damaged copy opened with File > Open...: its marks, the TONE chunk opened (its broken
# subchunk marks it red), the count clicked (the log window shows), then F8 from the top round
# the three problems back to the MCU area and its row in the log.
keys Escape
xdotool windowsize --sync "$window" 640 560
sleep 0.5
xdotool mousemove --window "$window" 632 303 click 1  # the Find view's close button
keys ctrl+o
xdotool type --delay 20 "$KAVEX_SHOTS_DAMAGED"
keys Return
keys F8 F8 F8 Right
log=$(xdotool search --name '^Log$' | head -n1)
xdotool windowmap --sync "$log"  # unmapped behind Qt's back above: shown again, then raised by the click
xdotool windowmove --sync "$log" 650 0
xdotool mousemove --window "$window" 560 550 click 1
sleep 1
keys Home F8 F8 F8 F8
import -window root -crop 1280x565+0+0 +repage "$root/docs/screenshot-problems.png"
# The sample again, compared with its changed copy (File > Compare with..., Ctrl+Shift+O); F7
# twice to the German table side by side, twice more to the small font, zoomed to 3 x.
xdotool windowunmap "$log"
xdotool windowsize --sync "$window" 900 560
keys alt+h s
keys ctrl+shift+o
xdotool type --delay 20 "$build/samples/kavex-sample-changed.fls"
keys Return
keys F7 F7
import -window "$window" "$root/docs/screenshot-compare-text.png"
keys F7 F7 ctrl+equal ctrl+equal
import -window "$window" "$root/docs/screenshot-compare-font.png"
keys alt+x
wait "$viewer" || true
