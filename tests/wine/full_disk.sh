#!/bin/sh
# Export on a full disk: a tmpfs of 256 KB becomes drive T: of the test prefix,
# and undo_e2e --full-disk exports there with too little room and then with
# enough. Mounting needs root; where it cannot mount, the test is skipped (77)
# and says why.
#   full_disk.sh <wine-run.sh> <undo_e2e.exe> <build tree> <prefix unless WINEPREFIX is set>
run=$1 driver=$2 tree=$3
export WINEPREFIX=${WINEPREFIX:-$4}
drive=$(mktemp -d /tmp/velmaro-small-drive.XXXXXX) || exit 1
if ! mount -t tmpfs -o size=256k tmpfs "$drive" 2>/tmp/velmaro-mount.$$; then
  echo "SKIP: a small drive could not be mounted here ($(cat /tmp/velmaro-mount.$$));" \
       "mounting a tmpfs needs root"
  rm -f /tmp/velmaro-mount.$$
  rmdir "$drive"
  exit 77
fi
rm -f /tmp/velmaro-mount.$$
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/t:"
"$run" "$driver" "$tree" --full-disk
result=$?
rm -f "$WINEPREFIX/dosdevices/t:"
umount "$drive" && rmdir "$drive"
exit $result
