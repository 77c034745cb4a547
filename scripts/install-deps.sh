#!/usr/bin/env bash
# Installs the Debian packages Kavex needs to build, test and run. Idempotent: when every
# package is already present it does nothing and needs no network.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config
  libgtest-dev googletest
  qt6-base-dev
  xvfb xauth xdotool x11-utils imagemagick
  clang libclang-rt-14-dev
  gcovr
  nlohmann-json3-dev zlib1g-dev libpng-dev libstb-dev libbenchmark-dev dpkg-dev
  lintian
  g++-mingw-w64-x86-64-posix wine wine64 zip groff-base
  # the browser version (make web): the core compiled to WebAssembly, Node for kavex-dump.js,
  # the binding's tests and the page's build (npm), Chromium for the page's tests
  emscripten nodejs chromium
)
# Debian's nodejs comes without npm, NodeSource's with it.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
