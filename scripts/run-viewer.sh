#!/usr/bin/env bash
# Starts the viewer from the build folder, after one line on where the sample image is and
# how to open it; says so clearly when there is no display.
set -euo pipefail
build=${1:-build}
if [ -x "$build/kavex" ]; then
  if [ -f "$build/samples/kavex-sample.fls" ]; then
    echo "kavex: a sample image is at $build/samples/kavex-sample.fls; open it with Help > Open sample image."
  fi
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "kavex: no display found (DISPLAY is not set). Start it from a desktop session," >&2
    echo "or under a virtual display: xvfb-run -a $build/kavex" >&2
    exit 1
  fi
  exec "$build/kavex"
fi
echo "The viewer is not built yet; here is the command-line companion:"
exec "$build/kavex-dump" --help
