#!/usr/bin/env bash
# Makes BUILD/kavex-windows-VERSION.zip from a Windows build (make windows): kavex-dump.exe and
# kavex-diff.exe (stripped; linked statically, they need no DLL beyond Windows' own), their
# manual pages as text, the sample images and a README. Text files get CR LF line ends, for
# Notepad.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 64; }
build=$(realpath "$1")
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(cat "$build/kavex-version.txt")
name=kavex-windows-$version
stage=$build/zip/$name
rm -rf "$build/zip" "$build/$name.zip"
mkdir -p "$stage/samples"

crlf() { sed 's/\r*$/\r/' "$1" > "$2"; }

for exe in kavex-dump.exe kavex-diff.exe; do
  x86_64-w64-mingw32-strip -o "$stage/$exe" "$build/$exe"
done
for page in kavex-dump kavex-diff; do
  # Plain text: no bold or underline by overstriking, no escape sequences.
  groff -man -Tutf8 -P-cbou "$top/docs/$page.1" > "$build/zip/$page.txt"
  crlf "$build/zip/$page.txt" "$stage/$page.txt"
done
cp "$build"/samples/kavex-sample.fls "$build"/samples/kavex-sample.wt "$build"/samples/kavex-sample-changed.fls "$stage/samples/"
sed "s/@VERSION@/$version/g" "$top/packaging/windows-README.txt" > "$build/zip/README.txt"
crlf "$build/zip/README.txt" "$stage/README.txt"
rm -f "$build/zip/"*.txt
(cd "$build/zip" && zip -q -r -X "$build/$name.zip" "$name")
echo "$build/$name.zip"
