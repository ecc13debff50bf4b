#!/bin/sh
# The CLI as a shell script drives it: option spellings, help, suggestions, check, outputs that
# are devices, terminals, links and files with their own modes, traces checked whole, the pixel
# budget and the progress bar. Prints one line per case for tests/cli/options.expected.
boton=$1
forms=$2
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
cd "$d" || exit 1
cp -r "$forms/gallery.json" "$forms/icons" .
run() { # label command...: its output (file names relative) and status on one line
  label=$1
  shift
  out=$("$@" 2>&1)
  status=$?
  printf '%s: %s [%s]\n' "$label" "$(printf '%s' "$out" | tr '\n' '|' | sed "s|$d/||g")" "$status"
}
png() { [ "$(head -c 4 "$1" | od -An -c | tr -d ' ')" = '211PNG' ] && echo png || echo "not png"; }

run output_equals "$boton" render gallery.json --output=a.png
run output_joined "$boton" render -ob.png gallery.json
run end_of_options "$boton" render -o c.png -- gallery.json
echo "written: $(png a.png) $(png b.png) $(png c.png)"
run help_command sh -c "'$boton' help render | head -2"
run help_unknown "$boton" help rendr
run near_command "$boton" rendr gallery.json
run nonsense_command "$boton" xyzzy
run device "$boton" render gallery.json -o /dev/null
run device_wrong_extension "$boton" gallery -o /dev/null

# check: every form, nothing written, status 1 when any is bad.
printf '{"Controls":[{"Name":"b","Properties":{"Caption":5}}]}' > bad.json
before=$(ls | tr '\n' ' ')
run check "$boton" check gallery.json bad.json
echo "unchanged: $([ "$(ls | tr '\n' ' ')" = "$before" ] && echo yes || echo no)"
run check_stdin sh -c "'$boton' check - < gallery.json"

# A terminal never receives PNG bytes; `script` gives the command one.
run terminal script -qec "'$boton' render gallery.json -o -" /dev/null
run terminal_gallery script -qec "'$boton' gallery -o -" /dev/null

# Replacing an output keeps its mode, and a link stays a link to the replaced file.
echo old > kept.png
chmod 640 kept.png
ln -s kept.png link.png
run through_link "$boton" render gallery.json -o link.png
echo "link: $(readlink link.png) $(stat -c %a kept.png) $(png kept.png)"
umask 022
run new_file "$boton" gallery -o new.png
echo "new: $(stat -c %a new.png)"

# A trace runs nothing until every line is checked; errors name the file and line.
printf 'new\ninit\nshow\nfoo\n' > t.trace
run trace_stdin sh -c "'$boton' trace - < t.trace"
run trace_file "$boton" trace t.trace
run trace_other_host "$boton" trace --host=qt t.trace

# The pixel budget: 600 x 400 pixels of form and one 80 x 40 button.
printf '{"Form":{"Width":9000,"Height":6000},"Controls":[{"Width":1200,"Height":600}]}' > small.json
run budget "$boton" render small.json -o s.png --max-pixels 100000
run budget_raised "$boton" render small.json -o s.png --max-pixels=243200
run budget_zero "$boton" check small.json --max-pixels 0
printf '{"Form":{"Width":245760,"Height":245760},"Controls":[{"Width":245760,"Height":245760}]}' > huge.json
run budget_default "$boton" check huge.json

# The progress bar shows on a terminal's standard error only.
script -qec "'$boton' render gallery.json -o p.png" /dev/null | tr '\r' '\n' | grep -c 'drawing the form' | sed 's/^/progress lines on a terminal: /'
"$boton" render gallery.json -o q.png 2>&1 >/dev/null | wc -c | sed 's/^ */progress bytes without one: /'
