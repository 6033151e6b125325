#!/bin/sh
# Runs the full-disk scenario (its program is $1, the Windows runner the rest) in a 3 MB tmpfs of
# its own and unmounts it afterwards. Mounting needs root; without it the scenario still runs and
# skips, saying why.
exe="$1"
shift
dir=$(mktemp -d /tmp/parlo-full-disk.XXXXXX) || exit 1
if err=$(mount -t tmpfs -o size=3m parlo-full-disk "$dir" 2>&1); then
  trap 'umount "$dir" 2>/dev/null || umount -l "$dir"; rmdir "$dir"' EXIT
  PARLO_FULL_DISK_DIR="Z:$(printf '%s' "$dir" | tr / '\\')"
  export PARLO_FULL_DISK_DIR
else
  trap 'rmdir "$dir"' EXIT
  PARLO_FULL_DISK_SKIP="mounting a 3 MB tmpfs for the full disk was not permitted (it needs root): $err"
  export PARLO_FULL_DISK_SKIP
fi
LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@" "$exe"
