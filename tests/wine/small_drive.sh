#!/bin/sh
# A driver run against a small drive of its own: a tmpfs of SIZE mounted here
# and linked as the prefix's drive T:, for the full-disk checks (Setup copying
# onto it, an export replacing a file on it). Mounting needs root; where it
# cannot be done the test is skipped (exit 77) and says why.
#   small_drive.sh <size> <wine-run.sh> <driver.exe> <build tree> <prefix unless WINEPREFIX is set> <driver's flag>
size=$1 run=$2 driver=$3 tree=$4 flag=$6
export WINEPREFIX=${WINEPREFIX:-$5} WINEDEBUG=-all
drive=$(mktemp -d /tmp/velmaro-small-drive.XXXXXX) || exit 1
if ! mount -t tmpfs -o "size=$size" tmpfs "$drive" 2>"$drive.err"; then
  echo "SKIP: a $size drive could not be mounted here ($(cat "$drive.err")); mounting a tmpfs needs root"
  rm -f "$drive.err"
  rmdir "$drive"
  exit 77
fi
rm -f "$drive.err"
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/t:"
"$run" "$driver" "$tree" "$flag"
status=$?
rm -f "$WINEPREFIX/dosdevices/t:"
umount "$drive" && rmdir "$drive"
exit $status
