#!/usr/bin/env bash
# Builds the Debian packages with cpack and looks inside them: each holds what it should and
# nothing of the others', one run-time package per SONAME, the headless packages never depend on
# Qt, dependencies are computed, and lintian finds nothing but the tags tests/packaging/lintian.ok
# lists with their reasons.
set -euo pipefail
build=$1
work=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
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
arch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=./usr/lib/$arch

for name in core common forms headless; do
  f=$(deb libbrelund-${name}1)
  has "$f" "$lib/libbrelund_$name.so.1"
  has "$f" ./usr/share/doc/libbrelund-${name}1/copyright
  has "$f" ./usr/share/doc/libbrelund-${name}1/changelog.Debian.gz
  lacks "$f" '\.h$'
  [ "$(contents "$f" | grep -c '\.so\.1$')" = 1 ] || fail "$f holds more than one SONAME"
  dpkg-deb -I "$f" shlibs >/dev/null 2>&1 || fail "$f has no shlibs"
  dpkg-deb -I "$f" triggers | grep -qx 'activate-noawait ldconfig' || fail "$f has no ldconfig trigger"
  field "$f" Depends | grep -q 'libc6' || fail "$f: no computed libc dependency"
done
field "$(deb libbrelund-headless1)" Depends | grep -q 'libfreetype6' ||
  fail "libbrelund-headless1 does not depend on FreeType"

dev=$(deb libbrelund-dev)
has "$dev" ./usr/include/brelund/boton.h
has "$dev" ./usr/include/brelund/version.h
has "$dev" ./usr/include/brelund/headless/button.h
has "$dev" "$lib/cmake/Brelund/BrelundConfig.cmake"
has "$dev" "$lib/pkgconfig/brelund-headless.pc"
has "$dev" "$lib/libbrelund_headless.so"
lacks "$dev" 'include/brelund/qt/'
lacks "$dev" 'BrelundQtTargets'

tools=$(deb brelund-tools)
has "$tools" ./usr/bin/boton
has "$tools" ./usr/share/man/man1/boton.1.gz
has "$tools" ./usr/share/bash-completion/completions/boton
lacks "$tools" 'usr/lib/'
lacks "$tools" 'boton-qt'

doc=$(deb brelund-doc)
has "$doc" ./usr/share/doc/brelund/form.schema.json
has "$doc" ./usr/share/doc/brelund/forms.md
has "$doc" ./usr/share/doc/brelund/trace.md
[ "$(field "$doc" Architecture)" = all ] || fail "brelund-doc is not Architecture: all"

# Headless users never pull in Qt.
for p in libbrelund-core1 libbrelund-common1 libbrelund-forms1 libbrelund-headless1 libbrelund-dev brelund-tools; do
  ! field "$(deb $p)" Depends | grep -qi 'qt' || fail "$p depends on Qt: $(field "$(deb $p)" Depends)"
done

packages=$(ls "$work"/*.deb)
if ls "$work"/libbrelund-qt1_*.deb >/dev/null 2>&1; then
  qt=$(deb libbrelund-qt1)
  has "$qt" "$lib/libbrelund_qt.so.1"
  field "$qt" Depends | grep -q 'libqt6widgets6' || fail "libbrelund-qt1 does not depend on Qt Widgets"
  qtdev=$(deb libbrelund-qt-dev)
  has "$qtdev" ./usr/include/brelund/qt/boton_widget.h
  has "$qtdev" "$lib/cmake/Brelund/BrelundQtTargets.cmake"
  has "$qtdev" "$lib/pkgconfig/brelund-qt.pc"
  contents "$qtdev" | grep -q "$lib/qt6/plugins/designer/brelund_designer.so" ||
    fail "libbrelund-qt-dev lacks the Designer plugin"
  qttools=$(deb brelund-qt-tools)
  has "$qttools" ./usr/bin/boton-qt
  has "$qttools" ./usr/libexec/brelund/boton-trace-qt
  has "$qttools" ./usr/share/man/man1/boton-qt.1.gz
fi

# The SONAME inside the packaged library, and binaries stripped.
mkdir -p "$work/x"
for f in $packages; do dpkg-deb -x "$f" "$work/x"; done
core=$(ls "$work"/x/usr/lib/"$arch"/libbrelund_core.so.1.*)
readelf -d "$core" | grep -q 'SONAME.*\[libbrelund_core\.so\.1\]' || fail "$core has no SONAME libbrelund_core.so.1"
for f in "$core" "$work/x/usr/bin/boton"; do
  file "$f" | grep -q ', stripped' || fail "$f is not stripped"
done

# lintian: no errors, no warnings but those listed with their reason.
allowed=$(grep -v '^#' "$source_dir/tests/packaging/lintian.ok" | awk 'NF {print $1}' | paste -sd'|')
lintian --no-cfg --fail-on none --suppress-tags "${allowed:-none}" $packages >"$work/lintian.log" 2>&1 || true
if grep -E '^[EW]: ' "$work/lintian.log"; then
  fail "lintian reports the lines above (all in $work/lintian.log)"
fi
echo "packages: $(cd "$work" && ls ./*.deb | tr '\n' ' ')"
