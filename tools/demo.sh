#!/usr/bin/env bash
# ./run demo: draws the gallery of looks and the example form, headless.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
out=$build/demo
mkdir -p "$out"
"$build/boton" gallery -o "$out/looks.png" >/dev/null
echo "Gallery of looks written to $out/looks.png"
if [ -f "$root/examples/gallery.json" ]; then
  "$build/boton" render "$root/examples/gallery.json" -o "$out/gallery-form.png" >/dev/null
  echo "Example form rendered to $out/gallery-form.png"
fi
# The button's main job, as the application sees it: the pointer arrives, presses, releases.
echo "One click with the left button, the events the application receives:"
printf 'new\ninit\nshow\npointer over\nmouse move 0 0 600 400\nmouse down 1 0 600 400\nmouse up 1 0 600 400\n' |
  "$build/boton" trace | grep '"event"' | sed 's/^/  /'
# With a display, the example form also opens in a real Qt window; its events print as JSON lines
# to a log. It runs in the background and closes by itself after five minutes.
if [ -n "${DISPLAY:-}" ] && [ -x "$build/boton-qt" ] && [ -f "$root/examples/gallery.json" ]; then
  timeout 300 "$build/boton-qt" "$root/examples/gallery.json" >"$out/gallery-qt-events.jsonl" 2>/dev/null &
  echo "Example form opened in a Qt window (pid $!); its events go to $out/gallery-qt-events.jsonl"
fi
