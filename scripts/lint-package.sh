#!/usr/bin/env bash
# Checks the Debian package as Debian checks packages: runs lintian on it, prints every
# finding, and fails on any but those we keep on purpose: the maintainer address is a
# placeholder until the project has a real one.   scripts/lint-package.sh PACKAGE.deb
set -euo pipefail
deb=${1:?usage: scripts/lint-package.sh PACKAGE.deb}
if ! command -v lintian >/dev/null 2>&1; then
  echo "lint-package: lintian is not installed (make deps installs it)" >&2
  exit 1
fi
expected='^[EW]: kavex: (bogus-mail-host|bogus-mail-host-in-debian-changelog|mail-address-loops-or-bounces|copyright-[a-z-]*licen[cs]e[a-z-]*|missing-license-[a-z-]*|[a-z-]*unknown-license[a-z-]*) '
findings=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
[ -n "$findings" ] && printf '%s\n' "$findings"
unexpected=$(printf '%s\n' "$findings" | grep -E '^[EWX]: ' | grep -Ev "$expected" || true)
if [ -n "$unexpected" ]; then
  echo "lint-package: lintian findings to mend in $deb:" >&2
  printf '%s\n' "$unexpected" >&2
  exit 1
fi
echo "lint-package: $deb passes lintian (the placeholder maintainer address aside)"
