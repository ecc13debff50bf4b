#!/usr/bin/env bash
# One ActiveX test under Wine: run_test.sh CROSS_BUILD_DIR WINE_PREFIX TEST
#   register     regsvr32 both ways; the registry afterwards is as before
#   typelib      the published type library and the resources
#   dispatch     the C++ client through IDispatch, events, persistence, lifetime
#   vbscript     a VBScript client through cscript
#   container    the control in Wine's ATL host window
#   lifetime     a container that lets go of the control inside its events
#   form         two buttons and an edit box on a form, real pointer and keys
#   ole          streams, storages, notifications, live fonts, activation, drawing
#   roundrect    the shape rasterizer against CreateRoundRectRgn
set -euo pipefail
AX_BUILD=$(readlink -f "$1") AX_PREFIX=$(readlink -m "$2")
test_name=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine_env.sh
. "$here/wine_env.sh"
ax_start

client() { timeout 180 wine "$AX_CLIENT" "$@"; }

case "$test_name" in
  register)
    ax_unregister || true
    wine regedit /E "$(ax_winpath "$AX_BUILD")\\before.reg" HKEY_CLASSES_ROOT
    ax_register
    client registered
    ax_unregister
    # Unregistering what is not registered succeeds and changes nothing.
    ax_unregister || { echo "FAIL: a second unregistration failed" >&2; exit 1; }
    client unregistered
    wine regedit /E "$(ax_winpath "$AX_BUILD")\\after.reg" HKEY_CLASSES_ROOT
    if ! cmp -s "$AX_BUILD/before.reg" "$AX_BUILD/after.reg"; then
      echo "FAIL: registry differs after unregistration" >&2
      diff <(iconv -f UTF-16LE -t UTF-8 "$AX_BUILD/before.reg") <(iconv -f UTF-16LE -t UTF-8 "$AX_BUILD/after.reg") | head -40 >&2
      exit 1
    fi
    echo "registry restored"
    ;;
  typelib)
    ax_register
    client typelib
    client resources "$(ax_winpath "$AX_OCX")"
    ;;
  dispatch|container|lifetime|ole|form|roundrect)
    ax_register
    client "$test_name"
    ;;
  vbscript)
    ax_register
    out=$(timeout 180 wine cscript //nologo "$(ax_winpath "$here/boton.vbs")" | tr -d '\r')
    printf '%s\n' "$out"
    grep -q '^FAIL' <<<"$out" && exit 1
    grep -qx 'done' <<<"$out" || { echo "FAIL: the script did not finish" >&2; exit 1; }
    ;;
  *)
    echo "unknown test $test_name" >&2
    exit 2
    ;;
esac
