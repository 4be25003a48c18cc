#!/usr/bin/env bash
# Finds out whether this machine can start 32-bit x86 programs, which the 32-bit Wine loader needs, by starting
# one. Exit status 0 when it can, 1 when it cannot, 2 when the probe itself could not be made; the one line on
# standard output says what happened. Usage: probe_32bit.sh [scratch folder]
#
# The probe is a static i386 ELF of three instructions (exit through the 32-bit system call gate with a
# status of its own), assembled and linked by the build machine's own binutils: making it runs nothing 32-bit
# and needs no i386 libraries or packages, and running it exercises exactly what wine32 needs from the kernel
# (loading an ELF32 file and the int 0x80 entry). The kernel's name, version or configuration would only be a
# guess: IA-32 emulation can be left out of the build, turned off at boot (ia32_emulation=0) or refused by a
# sandboxing kernel, and none of those shows in `uname`.
set -uo pipefail
scratch=$(mkdir -p "${1:-${TMPDIR:-/tmp}}" && cd "${1:-${TMPDIR:-/tmp}}" && pwd)
work=$(mktemp -d "$scratch/probe32.XXXXXX") || { echo "cannot make a folder in $scratch"; exit 2; }
trap 'rm -rf "$work"' EXIT
expected=42
cat >"$work/probe.s" <<ASM
    .globl _start
_start:
    movl \$1, %eax
    movl \$$expected, %ebx
    int \$0x80
ASM
if ! as --32 -o "$work/probe.o" "$work/probe.s" 2>"$work/log" ||
  ! ld -m elf_i386 -static -o "$work/probe" "$work/probe.o" 2>>"$work/log"; then
  echo "could not assemble the 32-bit probe (binutils): $(tr '\n' ' ' <"$work/log")"
  exit 2
fi
# Started from a child shell, whose own message on a refused exec ("Exec format error") is what we report.
message=$( (exec "$work/probe") 2>&1)
status=$?
if [ $status -eq $expected ]; then
  echo "a static i386 program ran and exited with its own status $expected"
  exit 0
fi
# bash says why on its first line ("...: cannot execute binary file: Exec format error").
message=$(head -n 1 <<<"$message")
message=${message##*: }
echo "a static i386 program could not run (status $status${message:+: $message})"
exit 1
