#!/usr/bin/env bash
# The i686 trace runner against the x86_64 one: every golden trace prints the same lines on
# both (the i686 build is what most form runtimes load). Skipped (77) where 32-bit code cannot
# run, with the reason.
#   trace_i686.sh I686_CROSS_BUILD_DIR X86_64_CROSS_BUILD_DIR WINE_PREFIX GOLDEN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/i686_check.sh" "$1" || exit $?
i686=$(readlink -f "$1") x64=$(readlink -f "$2")
for exe in "$i686/boton-trace-win32.exe" "$x64/boton-trace-win32.exe"; do
  [ -f "$exe" ] || { echo "FAIL: $exe is not built" >&2; exit 1; }
done
AX_BUILD=$i686 AX_PREFIX=$(readlink -m "$3")
export AX_SCREEN=2048x1536x24
# shellcheck source=wine_env.sh
. "$here/wine_env.sh"
ax_start
status=0
for script in "$4"/*.trace; do
  want=$(timeout 300 wine "$x64/boton-trace-win32.exe" - <"$script" 2>/dev/null | tr -d '\r')
  got=$(timeout 300 wine "$i686/boton-trace-win32.exe" - <"$script" 2>/dev/null | tr -d '\r')
  if [ -z "$want" ]; then
    echo "FAIL: $(basename "$script"): the x86_64 runner printed nothing" >&2
    status=1
  elif [ "$want" != "$got" ]; then
    echo "FAIL: $(basename "$script"): the i686 runner differs from the x86_64 one" >&2
    diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | head -20 >&2
    status=1
  else
    echo "$(basename "$script"): $(printf '%s\n' "$want" | wc -l) lines, the same on i686"
  fi
done
exit $status
