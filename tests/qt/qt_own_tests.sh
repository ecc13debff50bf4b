#!/usr/bin/env bash
# Runs Qt's own QPushButton and QAbstractButton autotests against BotonWidget (the runner builds
# the project, installs it and compares each function with Qt's own button). Exit 77 (skipped),
# with the reason, when the runner or Xvfb is not on this machine.
set -euo pipefail
runner=$1 root=$2
[ -f "$runner" ] || { echo "skipped: Qt's autotest runner not found at $runner"; exit 77; }
command -v xvfb-run >/dev/null || { echo "skipped: xvfb-run (Debian: xvfb) is not installed"; exit 77; }
cd "$root"
exec python3 "$runner"
