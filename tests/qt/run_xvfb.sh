#!/usr/bin/env bash
# Runs a test program on a private X server: Xvfb picks a free display itself (-displayfd), the
# program runs on Qt's xcb platform, and the server is stopped afterwards. Exit 77 (skipped)
# when Xvfb is not installed.
set -euo pipefail
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$tmp/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp"
chmod 700 "$tmp"
"$@"
