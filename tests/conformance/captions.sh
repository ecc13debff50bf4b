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

# name | caption as a JSON string (a saved property set carries line breaks) | the font's size and
# style, in DejaVu Sans
looks=(
  'blank|""|"Size":12'
  'latin|"Un bot\u00f3n grande"|"Size":12'
  'arabic|"\u0645\u0631\u062d\u0628\u0627 \u0628\u0643"|"Size":12'
  'hebrew|"\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd"|"Size":12'
  'cjk|"\u786e\u5b9a\u53d6\u6d88"|"Size":12'
  'latin_cjk|"OK \u786e\u5b9a"|"Size":12'
  'mark|"&Yes"|"Size":12'
  'ampersand|"Save && Exit"|"Size":12'
  'final_ampersand|"Yes&"|"Size":12'
  'two_marks|"&a&b"|"Size":12'
  'crlf|"Line one\r\nTwo"|"Size":12'
  'lf|"&First\nSecond line"|"Size":12'
  'empty_line|"Top\r\n\r\nBottom"|"Size":12'
  'small|"&First\nSecond line\r\n\u786e\u5b9a &OK"|"Size":8.25'
  'bold|"&First\nSecond line\r\n\u786e\u5b9a &OK"|"Size":9,"Bold":true'
  'italic|"&First\nSecond line\r\n\u786e\u5b9a &OK"|"Size":14,"Italic":true'
  'large|"&First\nSecond line\r\n\u786e\u5b9a &OK"|"Size":20'
)
name() { printf '%s' "${1%%|*}"; }
# A control is loaded once, as a container loads it: each look is a new one.
{
  for look in "${looks[@]}"; do
    IFS='|' read -r name caption font <<<"$look"
    echo new
    echo "read {\"Caption\":$caption,\"Font\":{\"Name\":\"DejaVu Sans\",$font}}"
    echo size 4500 2400
    echo show
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
  for i in "${!looks[@]}"; do printf '%s\n' "${states[$i]}" >"$work/$h/$(name "${looks[$i]}").state"; done
done

status=0
for look in "${looks[@]:1}"; do
  "$compare" "$(name "$look")" "$work/headless" "$work/$host" || status=1
done
exit $status
