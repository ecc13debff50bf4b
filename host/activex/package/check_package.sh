#!/usr/bin/env bash
# check_package.sh AX_BUILD_DIR: builds the Windows zip into a scratch folder and checks its
# listing, that each folder holds the server of its own bitness, and that each register script
# calls the regsvr32 of that bitness.
set -euo pipefail
ax=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$here/package_windows.sh" "$ax" "$work/b.zip" >/dev/null
expected="Brelund-1.0-windows/
Brelund-1.0-windows/README.txt
Brelund-1.0-windows/x64/
Brelund-1.0-windows/x64/Brelund32.ocx
Brelund-1.0-windows/x64/Brelund32.tlb
Brelund-1.0-windows/x64/register.cmd
Brelund-1.0-windows/x64/unregister.cmd
Brelund-1.0-windows/x86/
Brelund-1.0-windows/x86/Brelund32.ocx
Brelund-1.0-windows/x86/Brelund32.tlb
Brelund-1.0-windows/x86/register.cmd
Brelund-1.0-windows/x86/unregister.cmd"
listing=$(zipinfo -1 "$work/b.zip" | LC_ALL=C sort)
[ "$listing" = "$expected" ] || { diff <(echo "$expected") <(echo "$listing") >&2; fail "zip listing"; }
echo "listing as expected"

unzip -q "$work/b.zip" -d "$work/x"
p="$work/x/Brelund-1.0-windows"
cmp -s "$p/x86/Brelund32.ocx" "$ax/i686/Brelund32.ocx" || fail "x86 holds the i686 server"
cmp -s "$p/x64/Brelund32.ocx" "$ax/x86_64/Brelund32.ocx" || fail "x64 holds the x86_64 server"
# PE machine field: i386 0x14c in x86, AMD64 0x8664 in x64.
machine() { local off; off=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' '); od -An -tx2 -j$((off + 4)) -N2 "$1" | tr -d ' '; }
[ "$(machine "$p/x86/Brelund32.ocx")" = 014c ] || fail "x86 server machine"
[ "$(machine "$p/x64/Brelund32.ocx")" = 8664 ] || fail "x64 server machine"
grep -q 'SysWOW64\\regsvr32.exe' "$p/x86/register.cmd" || fail "x86 register.cmd uses SysWOW64"
grep -q 'SysWOW64\\regsvr32.exe' "$p/x86/unregister.cmd" || fail "x86 unregister.cmd uses SysWOW64"
grep -q '/u' "$p/x86/unregister.cmd" && grep -q '/u' "$p/x64/unregister.cmd" || fail "unregister uses /u"
grep -q '/u' "$p/x86/register.cmd" "$p/x64/register.cmd" && fail "register.cmd unregisters"
grep -q 'SysWOW64\\regsvr32.exe' "$p/x64/register.cmd" && fail "x64 register.cmd uses the 32-bit regsvr32"
grep -q 'Sysnative\\regsvr32.exe' "$p/x64/register.cmd" || fail "x64 register.cmd reaches the 64-bit regsvr32"
for f in README.txt x86/register.cmd x64/unregister.cmd; do
  [ "$(head -c 200 "$p/$f" | tr -cd '\r' | wc -c)" -gt 0 ] || fail "$f has Windows line ends"
done
echo "servers, scripts and line ends as expected"
