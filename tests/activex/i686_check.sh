#!/usr/bin/env bash
# Can this machine run the i686 server? Exits 0 when it can, or 77 (CTest's skip code) with the
# reason on standard output. Sourced by ./run setup for can_run_32bit as well.
#   i686_check.sh [I686_CROSS_BUILD_DIR]

# 0 when the kernel runs a static 32-bit ELF program: some machines refuse them outright
# (no IA32 emulation), whatever is installed.
can_run_32bit() {
  local dir rc
  command -v as >/dev/null && command -v ld >/dev/null || return 2
  dir=$(mktemp -d) || return 2
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  xorl %%ebx, %%ebx\n  int $0x80\n' >"$dir/t.s"
  if as --32 "$dir/t.s" -o "$dir/t.o" 2>/dev/null && ld -m elf_i386 "$dir/t.o" -o "$dir/t" 2>/dev/null; then
    "$dir/t" 2>/dev/null
    rc=$?
  else
    rc=2
  fi
  rm -rf "$dir"
  return $rc
}

# Wine's 32-bit side: the i386 loader and its DLLs.
have_wine32() {
  [ -d /usr/lib/wine/i386-windows ] || [ -d /usr/lib/i386-linux-gnu/wine/i386-windows ] ||
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if ! can_run_32bit; then
    echo "SKIP: this machine does not run 32-bit programs (a static i386 ELF does not run)"
    exit 77
  fi
  if ! have_wine32; then
    echo "SKIP: Wine's 32-bit side (wine32:i386) is not installed; ./run setup installs it where it can"
    exit 77
  fi
  if [ -n "${1:-}" ] && [ ! -f "$1/Brelund32.ocx" ]; then
    echo "SKIP: the i686 server is not built in $1"
    exit 77
  fi
  exit 0
fi
