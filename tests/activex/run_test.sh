#!/usr/bin/env bash
# One ActiveX test under Wine: run_test.sh CROSS_BUILD_DIR WINE_PREFIX TEST
#   register     regsvr32 both ways; the registry afterwards is as before
#   typelib      the published type library and the resources
#   dispatch     the C++ client through IDispatch, events, persistence, lifetime
#   vbscript     a VBScript client through cscript
#   jscript      a JScript client through cscript: numbers as doubles, errors as exceptions
#   container    the control in Wine's ATL host window
#   lifetime     a container that lets go of the control inside its events
#   form         two buttons and an edit box on a form, real pointer and keys
#   atldialog    two controls in ATL host windows under IsDialogMessage, real pointer and keys
#   ole          streams, storages, notifications, live fonts, activation, drawing
#   orders       form runtimes' call orders around Load, and the container's font
#   accessible   what a screen reader gets through oleacc, in ATL's host window and our form
#   roundrect    the shape rasterizer against CreateRoundRectRgn
#   dpi          at 96, 120 and 144 DPI (LogPixels of this prefix, which should be its own):
#                extents, twips, caption font, face and mask; draws a gallery row at 144
set -euo pipefail
AX_BUILD=$(readlink -f "$1") AX_PREFIX=$(readlink -m "$2")
test_name=$3
here=$(cd "$(dirname "$0")" && pwd)
# The i686 server runs only where the machine runs 32-bit code and Wine's 32-bit side is there;
# elsewhere its tests are skipped (77) with the reason.
if [ "$(basename "$AX_BUILD")" = i686 ]; then
  bash "$here/i686_check.sh" "$AX_BUILD" || exit $?
fi
# shellcheck source=wine_env.sh
. "$here/wine_env.sh"
ax_start

client() { timeout 180 "$AX_WINE" "$AX_CLIENT" "$@"; }

# The class is registered in the registry view of the server's bitness only: the 32-bit view
# (Wow6432Node) for the i686 server, the 64-bit one for the x86_64 server.
clsid='{E8EFFF40-522D-4888-A7CE-251E55EBA459}'
views_hold_class() { # registered?
  local own=/reg:64 other=/reg:32
  [ "$(basename "$AX_BUILD")" = i686 ] && own=/reg:32 other=/reg:64
  if [ "$1" = true ]; then
    ax_wine reg query "HKLM\\Software\\Classes\\CLSID\\$clsid" "$own" >/dev/null 2>&1 ||
      { echo "FAIL: the class is not in the $own registry view" >&2; exit 1; }
    if ax_wine reg query "HKLM\\Software\\Classes\\CLSID\\$clsid" "$other" >/dev/null 2>&1; then
      echo "FAIL: the class is also in the $other registry view" >&2
      exit 1
    fi
  elif ax_wine reg query "HKLM\\Software\\Classes\\CLSID\\$clsid" "$own" >/dev/null 2>&1; then
    echo "FAIL: the class is still in the $own registry view after unregistering" >&2
    exit 1
  fi
}

case "$test_name" in
  register)
    ax_unregister || true
    ax_wine regedit /E "$(ax_winpath "$AX_BUILD")\\before.reg" HKEY_CLASSES_ROOT
    ax_register
    client registered
    views_hold_class true
    ax_unregister
    views_hold_class false
    # Unregistering what is not registered succeeds and changes nothing.
    ax_unregister || { echo "FAIL: a second unregistration failed" >&2; exit 1; }
    client unregistered
    ax_wine regedit /E "$(ax_winpath "$AX_BUILD")\\after.reg" HKEY_CLASSES_ROOT
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
  dispatch|container|lifetime|ole|orders|form|atldialog|accessible|roundrect)
    ax_register
    client "$test_name"
    ;;
  dpi)
    ax_register
    # The user's LogPixels, which Wine reads when a program starts (over the machine's under
    # Hardware Profiles\Current\Software\Fonts). Face and mask are the same at every DPI, and
    # the caption grows with it.
    declare -A face mask height
    for dpi in 96 120 144; do
      ax_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
      gallery=()
      [ "$dpi" = 144 ] && gallery=("$(ax_winpath "$AX_BUILD")\gallery-win32-144.png")
      out=$(client dpi "$dpi" "${gallery[@]}" | tr -d '\r') || { printf '%s\n' "$out"; exit 1; }
      printf '%s\n' "$out"
      face[$dpi]=$(sed -n 's/^face //p' <<<"$out")
      mask[$dpi]=$(sed -n 's/^mask //p' <<<"$out")
      height[$dpi]=$(sed -n 's/^caption [0-9]* x \([0-9]*\) pixels$/\1/p' <<<"$out")
    done
    ax_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
    for dpi in 120 144; do
      [ -n "${face[$dpi]}" ] && [ "${face[$dpi]}" = "${face[96]}" ] ||
        { echo "FAIL: the face at $dpi DPI differs from the one at 96" >&2; exit 1; }
      [ -n "${mask[$dpi]}" ] && [ "${mask[$dpi]}" = "${mask[96]}" ] ||
        { echo "FAIL: the mask at $dpi DPI differs from the one at 96" >&2; exit 1; }
    done
    [ "${height[96]:-0}" -gt 0 ] && [ "${height[120]}" -gt "${height[96]}" ] &&
      [ "${height[144]}" -gt "${height[120]}" ] ||
      { echo "FAIL: the caption does not grow with the DPI: ${height[*]}" >&2; exit 1; }
    ;;
  vbscript | jscript)
    ax_register
    script=$here/boton.vbs
    [ "$test_name" = jscript ] && script=$here/boton.js
    out=$(timeout 180 "$AX_WINE" "${AX_SYSDIR}cscript.exe" //nologo "$(ax_winpath "$script")" | tr -d '\r')
    printf '%s\n' "$out"
    grep -q '^FAIL' <<<"$out" && exit 1
    grep -qx 'done' <<<"$out" || { echo "FAIL: the script did not finish" >&2; exit 1; }
    ;;
  *)
    echo "unknown test $test_name" >&2
    exit 2
    ;;
esac
