#!/bin/sh
# The Mouse panel's settings must outlive the session: they are applied in a
# Wine prefix of its own, its wineserver is restarted (the session ends and
# with it whatever was not saved), and a new session checks them.
#   mouse_restart.sh <wine-run.sh> <mouse_session.exe> <build tree> <prefix>
run=$1 driver=$2 tree=$3
export WINEPREFIX=$4 WINEDEBUG=-all
"$run" "$driver" "$tree" --apply
applied=$?
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
"$run" "$driver" "$tree" --after-restart
after=$?
wineserver -k >/dev/null 2>&1
[ "$applied" -eq 0 ] && [ "$after" -eq 0 ]
