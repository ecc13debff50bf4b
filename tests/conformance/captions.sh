#!/usr/bin/env bash
# Captions in several scripts, with access-key marks and line breaks, snapshotted on the headless
# host and on HOST: the bounding box of each caption's ink must agree within one pixel, and the
# face outside the caption boxes pixel for pixel (caption_compare). Every caption is set in
# DejaVu Sans, which every host finds among the system's fonts, so that all draw with one face;
# CJK text comes from each host's fallback face (fontconfig's on Linux, the font link that the
# tests' Wine prefix has, tests/activex/wine_env.sh).
# Usage: captions.sh BOTON CAPTION_COMPARE HOST
set -euo pipefail
boton=$1 compare=$2 host=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/headless" "$work/$host"

# name, then the caption as a JSON string (a saved property set carries line breaks).
looks=(
  'blank ""'
  'latin "Un bot\u00f3n grande"'
  'arabic "\u0645\u0631\u062d\u0628\u0627 \u0628\u0643"'
  'hebrew "\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd"'
  'cjk "\u786e\u5b9a\u53d6\u6d88"'
  'latin_cjk "OK \u786e\u5b9a"'
  'mark "&Yes"'
  'ampersand "Save && Exit"'
  'final_ampersand "Yes&"'
  'two_marks "&a&b"'
  'crlf "Line one\r\nTwo"'
  'lf "&First\nSecond line"'
  'empty_line "Top\r\n\r\nBottom"'
)
{
  echo new
  echo init
  echo size 3000 1500
  echo show
  for look in "${looks[@]}"; do
    name=${look%% *} caption=${look#* }
    echo "read {\"Caption\":$caption,\"Font\":{\"Name\":\"DejaVu Sans\",\"Size\":12}}"
    echo "snapshot $name.png"
    echo state
  done
} >"$work/captions.trace"

for h in headless "$host"; do
  cp "$work/captions.trace" "$work/$h/"
  "$boton" trace --host "$h" "$work/$h/captions.trace" >"$work/$h/out"
  mapfile -t states < <(grep '^{"state"' "$work/$h/out")
  [ ${#states[@]} -eq ${#looks[@]} ] || {
    echo "$h: expected ${#looks[@]} states, got ${#states[@]}"
    exit 1
  }
  for i in "${!looks[@]}"; do printf '%s\n' "${states[$i]}" >"$work/$h/${looks[$i]%% *}.state"; done
done

status=0
for look in "${looks[@]:1}"; do
  "$compare" "${look%% *}" "$work/headless" "$work/$host" || status=1
done
exit $status
