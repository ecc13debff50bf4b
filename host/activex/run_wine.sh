#!/usr/bin/env bash
# run_wine.sh CROSS_BUILD_DIR WINE_PREFIX PROGRAM [ARGS...]: runs a Windows program under the
# build's own Wine prefix with Brelund32.ocx registered, e.g. `cscript //nologo script.vbs`.
# Without a display it starts a private Xvfb; whatever it started is stopped on the way out.
set -euo pipefail
AX_BUILD=$(readlink -f "$1") AX_PREFIX=$(readlink -m "$2")
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../tests/activex/wine_env.sh
. "$root/tests/activex/wine_env.sh"
[ -f "$AX_OCX" ] || { echo "Brelund32.ocx is not built in $AX_BUILD" >&2; exit 1; }
ax_start
ax_register
set +e
ax_wine "$@"
status=$?
wineserver -w
exit $status
