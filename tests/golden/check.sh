#!/usr/bin/env bash
# Runs a trace script through the CLI and compares its output with the expected lines.
# With UPDATE=1 it rewrites the expectation instead (review the diff before committing).
set -euo pipefail
boton=$1 script=$2
expected=${script%.trace}.expected
actual=$("$boton" trace "$script")
if [ "${UPDATE:-0}" = 1 ]; then printf '%s\n' "$actual" >"$expected"; exit 0; fi
diff -u "$expected" <(printf '%s\n' "$actual")
