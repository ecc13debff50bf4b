#!/bin/sh
# Form files through `boton check` and `boton resave`: each refusal names the control and the key
# and says what is wrong in our own words; near misses get the nearest name, nonsense none.
# Prints one line per case; the CTest regular expression holds the expected lines.
boton=$1
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
case_() { # label json
  printf '%s' "$2" > "$d/f.json"
  printf '%s: ' "$1"
  "$boton" check "$d/f.json" 2>&1 | sed "s|$d/||"
}
case_ fraction '{"Controls":[{"Name":"b","Properties":{"RoundSize":20.5}}]}'
case_ whole_float '{"Controls":[{"Name":"b","Properties":{"RoundSize":20.0}}]}'
case_ caption_number '{"Controls":[{"Name":"b","Properties":{"Caption":5}}]}'
case_ enabled_text '{"Controls":[{"Name":"b","Properties":{"Enabled":"True"}}]}'
case_ light_range '{"Controls":[{"Name":"b","Properties":{"Light":100000}}]}'
case_ light_edge '{"Controls":[{"Name":"b","Properties":{"Light":-255}}]}'
case_ pointer_range '{"Controls":[{"Name":"b","Properties":{"MousePointer":32768}}]}'
case_ colour_text '{"Controls":[{"Name":"b","Properties":{"BackColor":"&HZZ&"}}]}'
case_ two_defaults '{"Controls":[{"Name":"a","Default":true},{"Name":"b","Default":true}]}'
case_ two_cancels '{"Controls":[{"Name":"a","Cancel":true},{"Name":"b","Default":true},{"Name":"c","Cancel":true}]}'
case_ duplicate '{"Controls":[{"Name":"a"},{"Name":"b","Properties":{"Light":1,"Light":2}}]}'
case_ duplicate_form '{"Form":{"Width":1,"Width":2}}'
case_ near_section '{"Contrls":[]}'
case_ near_form '{"Form":{"Widht":1}}'
case_ near_font '{"Form":{"Font":{"Bodl":true}}}'
case_ near_control '{"Controls":[{"Lefft":1}]}'
case_ near_property '{"Controls":[{"Name":"b","Properties":{"Roundsiz":1}}]}'
case_ nonsense '{"Controls":[{"Name":"b","Properties":{"qqqqqqqq":1}}]}'
case_ malformed "$(printf '{"Form":\n {"Width": nope\377}}')"
case_ truncated '{"Form":{"Caption":"a'
case_ escape_name "$(printf '{"Controls":[{"Name":"a\\u001b]0;x\\u0007b","Properties":{"Light":1e9}}]}')"
# Numbers come back in their shortest form.
printf '{"Form":{"Width":450.7,"Height":1000},"Controls":[{"Left":0.1,"Top":33.3}]}' |
  "$boton" resave - -o - | grep -E '"(Width|Left|Top)"' | tr -d ' ,' | sort | tr '\n' ' '
echo
