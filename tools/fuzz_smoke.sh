#!/usr/bin/env bash
# Builds the libFuzzer targets (the `fuzz` preset, build/fuzz) and runs each one for a bounded
# time on a scratch copy of its seed corpus, so the tree is never modified.
# Usage: tools/fuzz_smoke.sh [SECONDS-PER-TARGET] [TARGET...]   (default: 15 s, every target)
# A crashing input is kept under build/fuzz/artifacts/TARGET/ and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

seconds=${1:-15}
shift || true
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [SECONDS] [TARGET...]" >&2; exit 2 ;; esac
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(form properties trace stream)

build=$ROOT/build/fuzz
[ -f "$build/build.ninja" ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=()
for t in "${targets[@]}"; do
  exe=$build/fuzz/fuzz_$t
  [ -x "$exe" ] || { echo "$0: no fuzz target \"$t\"" >&2; exit 2; }
  cp -r "$ROOT/fuzz/corpus/$t" "$scratch/$t"
  artifacts=$build/artifacts/$t
  mkdir -p "$artifacts"
  printf '\033[1m==> fuzzing %s for %s s\033[0m\n' "$t" "$seconds" >&2
  # Leaks and slow units count as failures too; -rss_limit_mb catches runaway allocations.
  dict=()
  [ -f "$ROOT/fuzz/$t.dict" ] && dict=(-dict="$ROOT/fuzz/$t.dict")
  # fontconfig (headless captions) keeps a few bytes of its own until exit: suppressed as in the
  # sanitizer tests, anything of ours still counts.
  if ! LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0" \
      "$exe" "$scratch/$t" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts/" -print_final_stats=1 >"$scratch/$t.log" 2>&1; then
    tail -n 60 "$scratch/$t.log" >&2
    failed+=("$t")
  else
    grep -E '^(#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$scratch/$t.log" >&2 || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found a failure in: ${failed[*]} (inputs under $build/artifacts/)" >&2
  exit 1
fi
