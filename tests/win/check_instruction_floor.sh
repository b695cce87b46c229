#!/usr/bin/env bash
# The 32-bit program runs on a 486: no instruction the Pentium or a later processor brought in
# (conditional moves, the P6 floating-point compares, CPUID, the time-stamp counter, CMPXCHG8B,
# UD2, long NOPs, MMX and SSE registers) anywhere in its code.
# check_instruction_floor.sh OBJDUMP EXE
set -uo pipefail
objdump=$1 exe=$2

listing=$("$objdump" -d --no-show-raw-insn "$exe") || { echo "cannot disassemble $exe"; exit 1; }
above=$(grep -E $'^\\s+[0-9a-f]+:\t' <<<"$listing" |
  grep -E $'\t(cmov|fcmov|fcomip?|fucomip?|cpuid|rdtsc|rdpmc|rdmsr|wrmsr|cmpxchg8b|ud2|nopw|nopl|sysenter|sysexit|emms|fxsave|fxrstor|[lms]fence|prefetch|movnt|pause|popcnt)|%x?mm[0-9]')
if [[ -n $above ]]; then
  echo "instructions above the 486 ($(wc -l <<<"$above")):"
  head -20 <<<"$above"
  exit 1
fi
grep -qE $'^\\s+[0-9a-f]+:\t' <<<"$listing" || { echo "no code found in $exe"; exit 1; }
exit 0
