#!/usr/bin/env bash
# The Win32 runner carries a script at whole pixels entirely by real input (pointer, buttons,
# keys, characters, Timer1): no step of it may fall back to the instance. And where real input
# cannot carry a step (an access key the control does not announce to its container, a point
# between pixels), the output says so.
# Usage: real_input.sh BOTON SCRIPT
set -euo pipefail
boton=$1 script=$2
out=$("$boton" trace --host win32 "$script")
lines=$(printf '%s\n' "$out" | wc -l)
[ "$lines" -gt 20 ] || { echo "only $lines lines"; exit 1; }
if printf '%s\n' "$out" | grep '"simulated"'; then
  echo "real input did not carry every step of $(basename "$script")"
  exit 1
fi
fallback=$(printf 'new\ninit\nlabel size 435 195\nshow\nkey access 65\nmouse down 1 0 100 100\n' |
  "$boton" trace --host win32 - | grep -c '"simulated"' || true)
[ "$fallback" -eq 2 ] || { echo "expected 2 simulated lines, got $fallback"; exit 1; }
echo "$(basename "$script"): $lines lines, all by real input; fallbacks said so"
