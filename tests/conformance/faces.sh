#!/usr/bin/env bash
# Snapshots of several looks on the headless host and on HOST: their face pixels must agree
# outside the caption and picture boxes. Usage: faces.sh BOTON FACE_COMPARE HOST
set -euo pipefail
boton=$1 compare=$2 host=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/headless" "$work/$host"
# Each look is snapshotted, then its state gives the boxes to leave out.
cat >"$work/looks.trace" <<'TRACE'
new
init
let Caption "OK"
label size 1500 300
size 2400 900
show
snapshot rest.png
state
pointer over
tick
snapshot lit.png
state
key down 32 0
snapshot pressed.png
state
key up 32 0
let RoundSize 60
let Light -45
let BackColor &H00C08040&
snapshot round.png
state
let Picture picture 16 16
snapshot picture.png
state
let Enabled False
snapshot disabled.png
state
let CreateRegion False
let Roundness3D 5
snapshot square.png
state
TRACE
for h in headless "$host"; do
  cp "$work/looks.trace" "$work/$h/looks.trace"
  "$boton" trace --host "$h" "$work/$h/looks.trace" >"$work/$h/out"
done
mapfile -t states < <(grep '^{"state"' "$work/headless/out")
looks=(rest lit pressed round picture disabled square)
[ ${#states[@]} -eq ${#looks[@]} ] || { echo "expected ${#looks[@]} states, got ${#states[@]}"; exit 1; }
status=0
for i in "${!looks[@]}"; do
  look=${looks[$i]}
  printf '%s: ' "$look"
  "$compare" "$work/headless/$look.png" "$work/$host/$look.png" "${states[$i]}" || status=1
done
exit $status
