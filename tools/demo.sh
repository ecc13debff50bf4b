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
