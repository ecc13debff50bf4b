#!/usr/bin/env bash
# Runs the benchmarks of a build and prints the comparison table.
# Usage: bench/run_bench.sh BUILD_DIR [--json FILE] [GOOGLE-BENCHMARK-OPTIONS...]
#   --json FILE   also write every figure, ratio and target to FILE
#   e.g. --benchmark_filter=ours/paint  --benchmark_min_time=1  --benchmark_repetitions=3
set -euo pipefail

usage() { echo "usage: $0 BUILD_DIR [--json FILE] [benchmark options...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
build=$1
shift
json_out=
passthrough=()
while [ $# -gt 0 ]; do
  case "$1" in
    --json) [ $# -ge 2 ] || usage; json_out=$2; shift 2 ;;
    --json=*) json_out=${1#--json=}; shift ;;
    *) passthrough+=("$1"); shift ;;
  esac
done

bench=$build/bench/brelund_bench
report=$build/bench/bench_report
for exe in "$bench" "$report"; do
  [ -x "$exe" ] || { echo "$0: $exe not built (is BRELUND_BENCH on?)" >&2; exit 1; }
done

raw=$(mktemp --suffix=.json)
trap 'rm -f "$raw"' EXIT

# Qt's painter needs no window system, but keep it from looking for one.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# With --benchmark_repetitions the report reads the mean of the repetitions.
echo "running benchmarks (the console shows progress; the table follows)" >&2
"$bench" --benchmark_out="$raw" --benchmark_out_format=json \
  ${passthrough[@]+"${passthrough[@]}"} >&2
echo >&2
if [ -n "$json_out" ]; then
  "$report" "$raw" --json "$json_out"
  echo "wrote $json_out" >&2
else
  "$report" "$raw"
fi

# The browser package's size and a page's speed, when the `web` preset has been built.
web=$(dirname "$build")/web/host/web/npm/brelund
if [ -f "$web/brelund-core.wasm" ] && command -v node >/dev/null; then
  echo
  node "$(dirname "$0")/web_size.mjs" "$web"
  echo
  node "$(dirname "$0")/web_speed.mjs" "$web" || echo "web page speed: not measured (see the message above)"
fi
