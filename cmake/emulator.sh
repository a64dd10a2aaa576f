#!/bin/sh
# Prints the command that runs this target's binaries on this machine:
# qemu's user-mode emulator, or nothing where the kernel runs them itself.
#
#   cmake/emulator.sh aarch64|s390x|armhf|i386
#
# The cross tool chains, the test presets and the CI's listing and package
# checks all ask here.  i386 is decided by trying: most x86-64 kernels run
# 32-bit x86 programs, but sandboxed and hardened ones refuse them.
set -eu
case ${1:-} in
  aarch64) echo /usr/bin/qemu-aarch64-static ;;
  s390x) echo /usr/bin/qemu-s390x-static ;;
  armhf) echo /usr/bin/qemu-arm-static ;;
  i386)
    probe=$(mktemp -d)
    trap 'rm -rf "$probe"' EXIT
    if ! printf 'int main(void) { return 0; }\n' | i686-linux-gnu-gcc -static -x c - -o "$probe/probe" 2>/dev/null ||
       ! "$probe/probe" 2>/dev/null; then
      echo /usr/bin/qemu-i386-static
    fi
    ;;
  *)
    echo "usage: cmake/emulator.sh aarch64|s390x|armhf|i386" >&2
    exit 2
    ;;
esac
