#!/usr/bin/env bash
# Runs one trace script on the headless host and on another host and compares what they print,
# line by line; on a difference it names the first line that differs, with both versions.
# Differences that are the platform's own are listed, each with its reason, in HOST.differences
# next to this script: each entry is a reason line (# ...) followed by a sed expression that is
# applied to both outputs before they are compared.
# Usage: check.sh BOTON HOST SCRIPT
set -euo pipefail
boton=$1 host=$2 script=$3
here=$(cd "$(dirname "$0")" && pwd)

filter=(cat)
if [ -f "$here/$host.differences" ]; then
  exprs=()
  while IFS= read -r line; do
    case "$line" in '#'* | '') continue ;; esac
    exprs+=(-e "$line")
  done <"$here/$host.differences"
  [ ${#exprs[@]} -eq 0 ] || filter=(sed "${exprs[@]}")
fi

expected=$("$boton" trace "$script" | "${filter[@]}")
actual=$("$boton" trace --host "$host" "$script" | "${filter[@]}")
if [ "$expected" == "$actual" ]; then
  echo "$(basename "$script"): $(printf '%s\n' "$expected" | wc -l) lines, the same on $host"
  exit 0
fi
paste -d '\n' <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | awk -v host="$host" '
  NR % 2 == 1 { want = $0; next }
  $0 != want {
    printf "line %d differs\n  headless: %s\n  %s: %s\n", NR / 2, want, host, $0
    exit
  }'
echo "$(basename "$script"): headless printed $(printf '%s\n' "$expected" | wc -l) lines, $host $(printf '%s\n' "$actual" | wc -l)"
exit 1
