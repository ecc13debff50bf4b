#!/usr/bin/env bash
# Runs a script on a host's own trace program and fails when any verb fell back to the host's
# instance step: the script is written so that the host's real input can carry all of it, and a
# host that quietly stopped sending real events would otherwise still agree line for line.
# Usage: all_real.sh RUNNER SCRIPT
set -euo pipefail
out=$("$1" "$2")
if grep '"simulated"' <<<"$out"; then exit 1; fi
[ -n "$out" ]
