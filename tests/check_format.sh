#!/usr/bin/env bash
# Every C++ file of ours follows the project's .clang-format (nested ones included).
set -euo pipefail
cd "$1"
mapfile -t files < <(find include control render shape input host trace tools tests bench fuzz typelib examples \
  -name '*.cpp' -o -name '*.h' | sort)
clang-format --dry-run --Werror "${files[@]}"
echo "${#files[@]} files follow the style"
