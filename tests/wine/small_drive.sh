#!/bin/sh
# Setup onto a drive that fills up during the copy: a tmpfs of 1.3 MB (room for the console but not for all five files) mounted
# here and linked as the prefix's drive T:. Mounting needs root; where it
# cannot be done the test is skipped (exit 77) and says why.
#   small_drive.sh <wine-run.sh> <lifecycle_e2e.exe> <build tree> <prefix>
run=$1 driver=$2 tree=$3
export WINEPREFIX=$4 WINEDEBUG=-all
mnt=$tree/small-drive
mkdir -p "$mnt"
if ! mount -t tmpfs -o size=1300k tmpfs "$mnt" 2>/tmp/small-drive-$$.err; then
  echo "SKIP: cannot mount a 1.3 MB tmpfs for drive T: ($(cat /tmp/small-drive-$$.err)); run as root to test a full disk"
  rm -f /tmp/small-drive-$$.err
  exit 77
fi
rm -f /tmp/small-drive-$$.err
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$mnt" "$WINEPREFIX/dosdevices/t:"
"$run" "$driver" "$tree" --small-drive
status=$?
rm -f "$WINEPREFIX/dosdevices/t:"
umount "$mnt"
exit $status
