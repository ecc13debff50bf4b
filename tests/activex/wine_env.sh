# Shared by the ActiveX tests and `./run wine`: the project's own Wine prefix under the build
# folder, a private X display when there is none, and Brelund32.ocx registered in the prefix.
# Source it with AX_BUILD (the cross build folder) and AX_PREFIX (the Wine prefix) set.

export WINEPREFIX="$AX_PREFIX"
export WINEDEBUG=-all
# No Mono/Gecko installers, no desktop menus, and a crash ends the program instead of waiting
# in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
AX_OCX="$AX_BUILD/Brelund32.ocx"
AX_CLIENT="$AX_BUILD/boton_ax_client.exe"
# The i686 server is registered and scripted by the 32-bit system programs of the prefix
# (SysWOW64), whose registry view is the 32-bit one; the x86_64 server by the native ones. Each
# runs under the loader of its own bitness: Debian's `wine` starts a program named without a path
# (cscript, reg) with the 32-bit loader whenever Wine's 32-bit side is installed, which would
# script the x86_64 server from the 32-bit registry view. Programs are named with their `.exe`:
# the 32-bit loader does not find a SysWOW64 program without it.
if [ "$(basename "$AX_BUILD")" = i686 ]; then
  AX_SYSDIR='C:\windows\syswow64\'
  AX_WINE=/usr/lib/wine/wine
else
  AX_SYSDIR=''
  AX_WINE=/usr/lib/wine/wine64
fi
[ -x "$AX_WINE" ] || AX_WINE=wine
ax_wine() { "$AX_WINE" "$@"; }
AX_XVFB_PID=""

# The Windows form of a Unix path on Wine's Z: drive.
ax_winpath() { local p; p=$(readlink -f "$1"); printf 'Z:%s' "${p//\//\\}"; }

ax_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$AX_XVFB_PID" ]; then
    kill "$AX_XVFB_PID" 2>/dev/null || true
    wait "$AX_XVFB_PID" 2>/dev/null || true
    AX_XVFB_PID=""
  fi
}

# Makes the prefix once per build folder; later calls find it ready. A lock keeps two callers
# from booting it at the same time.
ax_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.brelund-ready" ]; then
      rm -rf "$WINEPREFIX"
      timeout 300 wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix could not be made" >&2; exit 1; }
      touch "$WINEPREFIX/.brelund-ready"
    fi
    ax_font_links
  ) 9>"$WINEPREFIX.lock"
}

# Windows draws a character that a caption's face lacks from the faces listed for that face
# under FontLink\SystemLink, and from nothing else; Windows lists them for its own interface
# faces only, each style by its full name ("Meiryo Bold"), as the lookup is by the face chosen.
# The traces' captions are set in DejaVu Sans, so the prefix links its four faces to the face
# that fontconfig gives the other hosts for CJK text. Without such a face nothing is linked
# (the characters show the missing-glyph box, as on those hosts), and the next start looks again.
ax_font_links() {
  [ -f "$WINEPREFIX/.brelund-font-links" ] && return 0
  local face style
  face=$(fc-match -f '%{file|basename},%{family[0]}' 'DejaVu Sans:charset=4e00' 2>/dev/null) || face=
  case "$face" in '' | DejaVu*) return 0 ;; esac
  for style in '' ' Bold' ' Oblique' ' Bold Oblique'; do
    timeout 120 "$AX_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "DejaVu Sans$style" /t REG_MULTI_SZ /d "$face" /f >/dev/null 2>&1 || return 0
  done
  wineserver -w
  touch "$WINEPREFIX/.brelund-font-links"
}

# Starts Xvfb on the first free display unless one is set and reachable.
ax_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${AX_FORCE_XVFB:-}" ]; then return 0; fi
  local n
  for n in $(seq 91 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -nolisten tcp -screen 0 "${AX_SCREEN:-1024x768x24}" >/dev/null 2>&1 &
    AX_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$AX_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$AX_XVFB_PID" 2>/dev/null || true
    AX_XVFB_PID=""
  done
  echo "no X display could be started" >&2
  return 1
}

ax_register() { timeout 120 "$AX_WINE" "${AX_SYSDIR}regsvr32.exe" /s "$(ax_winpath "$AX_OCX")"; }
ax_unregister() { timeout 120 "$AX_WINE" "${AX_SYSDIR}regsvr32.exe" /u /s "$(ax_winpath "$AX_OCX")"; }

# Sets everything up; the caller's exit cleans up what was started.
ax_start() {
  trap ax_cleanup EXIT
  ax_prefix
  ax_display
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
}
