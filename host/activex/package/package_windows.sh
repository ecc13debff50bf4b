#!/usr/bin/env bash
# package_windows.sh AX_BUILD_DIR OUT.zip: the zip for Windows users, from a build that holds
# both servers (AX_BUILD_DIR/i686 and AX_BUILD_DIR/x86_64). Text files get Windows line ends.
set -euo pipefail
ax=$(readlink -f "$1")
out=$(readlink -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
top=Brelund-1.0-windows

for arch in i686 x86_64; do
  for f in "$ax/$arch/Brelund32.ocx" "$ax/$arch/gen/typelib/brelund.tlb"; do
    [ -f "$f" ] || { echo "package_windows: $f is missing: build both servers first" >&2; exit 1; }
  done
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
mkdir -p "$stage/$top/x86" "$stage/$top/x64"
crlf "$here/README.txt" "$stage/$top/README.txt"
for pair in x86:i686 x64:x86_64; do
  dir=${pair%%:*} arch=${pair#*:}
  cp "$ax/$arch/Brelund32.ocx" "$stage/$top/$dir/"
  cp "$ax/$arch/gen/typelib/brelund.tlb" "$stage/$top/$dir/Brelund32.tlb"
  crlf "$here/register-$dir.cmd" "$stage/$top/$dir/register.cmd"
  crlf "$here/unregister-$dir.cmd" "$stage/$top/$dir/unregister.cmd"
done
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$stage" && zip -q -X -r "$out" "$top")
echo "$out"
