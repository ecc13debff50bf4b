#!/usr/bin/env bash
# Builds the Debian packages with cpack and looks inside them: each holds what it should and
# nothing of the others', the libraries carry their SONAME, the packages depend on each other.
set -euo pipefail
build=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }

fail() { echo "cpack_test: $*" >&2; exit 1; }
deb() { # package name -> its file
  local f
  f=$(ls "$work"/"$1"_*.deb 2>/dev/null | head -1)
  [ -n "$f" ] || fail "no package $1 in: $(ls "$work")"
  echo "$f"
}
contents() { dpkg-deb -c "$1" | awk '{print $6}'; }
has() { contents "$1" | grep -qx "$2" || fail "$(basename "$1") lacks $2"; }
lacks() { ! contents "$1" | grep -q "$2" || fail "$(basename "$1") should not hold $2"; }
field() { dpkg-deb -f "$1" "$2"; }

libs=$(deb libbrelund1)
dev=$(deb libbrelund-dev)
tools=$(deb brelund-tools)
for f in "$libs" "$dev" "$tools"; do dpkg-deb -I "$f" >/dev/null || fail "$f is not a Debian package"; done

has "$libs" ./usr/lib/libbrelund_core.so.1
has "$libs" ./usr/lib/libbrelund_headless.so.1
lacks "$libs" '\.h$'
lacks "$libs" 'usr/bin/'
[ "$(field "$libs" Package)" = libbrelund1 ] || fail "wrong package name in $libs"
field "$libs" Depends | grep -q libpng16-16 || fail "libbrelund1 does not depend on libpng"

has "$dev" ./usr/include/brelund/boton.h
has "$dev" ./usr/include/brelund/version.h
has "$dev" ./usr/include/brelund/headless/button.h
has "$dev" ./usr/lib/cmake/Brelund/BrelundConfig.cmake
has "$dev" ./usr/lib/pkgconfig/brelund-headless.pc
has "$dev" ./usr/lib/libbrelund_headless.so
lacks "$dev" 'libbrelund_core\.so\.1'
field "$dev" Depends | grep -q 'libbrelund1 (= ' || fail "libbrelund-dev does not depend on libbrelund1"

has "$tools" ./usr/bin/boton
lacks "$tools" 'usr/lib/'

# The SONAME inside the packaged library.
mkdir -p "$work/x"
dpkg-deb -x "$libs" "$work/x"
core=$(ls "$work"/x/usr/lib/libbrelund_core.so.1.*)
readelf -d "$core" | grep -q 'SONAME.*\[libbrelund_core\.so\.1\]' || fail "$core has no SONAME libbrelund_core.so.1"
echo "packages: $(cd "$work" && ls ./*.deb | tr '\n' ' ')"
