#!/bin/sh
# Whether this machine runs Wine's 32-bit programs through the emulator
# qemu-i386, which scripts/setup.sh registers where the kernel runs no 32-bit
# program itself: exit code 0 when it does. The one place that asks.
grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null
