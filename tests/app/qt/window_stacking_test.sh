#!/bin/bash
# Windows in front on a real window manager: the calculator runs on a virtual
# display under Openbox, and each tool window opened from a menu (or from the
# tool it belongs to) must be the topmost client, also with Stay on top, the
# default, where the main window is kept above the others. Offscreen tests
# cannot see this: there the window system has no stacking order.
#
# Usage: window_stacking_test.sh PATH/TO/helmax-calc
# (started by CTest under xvfb-run, which sets DISPLAY).
set -u
program=$1
work=$(mktemp -d)
trap 'kill $calc $wm 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
# A copy of the program in a folder of its own: its files go beside it.
cp "$program" "$work/helmax-calc"

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
HOME="$work" "$work/helmax-calc" >"$work/log" 2>&1 &
calc=$!

main=$(timeout 60 xdotool search --all --sync --onlyvisible --pid "$calc" --name 'helmax-calc' | head -1)
[ -n "$main" ] || { echo "the main window did not appear"; cat "$work/log"; exit 1; }

failures=0
topmost() {
  xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/, /\n/g' | tail -1
}
# open WINDOW_TITLE FROM_WINDOW KEY...: types KEY... (a menu and its item)
# into FROM_WINDOW, then wants a window called WINDOW_TITLE on top.
open() {
  local title=$1 from=$2
  shift 2
  local window="" attempt
  for attempt in 1 2 3; do
    xdotool windowactivate --sync "$from" >/dev/null 2>&1
    for key in "$@"; do
      xdotool key --clearmodifiers "$key"
      sleep 0.4
    done
    window=$(timeout 10 xdotool search --all --sync --onlyvisible --pid "$calc" --name "^$title" | head -1)
    [ -n "$window" ] && break
  done
  if [ -z "$window" ]; then
    echo "FAIL: \"$title\" did not open"
    failures=$((failures + 1))
    return
  fi
  sleep 0.5  # the window manager settles its stacking
  local top
  top=$(topmost)
  if ! xdotool search --all --onlyvisible --pid "$calc" --name "^$title" | grep -qx "$((top))"; then
    echo "FAIL: \"$title\" is not in front (topmost: $(xdotool getwindowname "$top"))"
    failures=$((failures + 1))
  else
    echo "ok: \"$title\" in front"
  fi
  opened=$window
}

opened=""
open "Convert Unit" "$main" alt+u c
conversion=$opened
open "Conversion definition table" "$conversion" alt+d
table=$opened
open "Periodic Table" "$main" alt+u p
open "Exchange" "$main" alt+u x
[ -n "$table" ] && open "Category = " "$table" alt+w g
# Windows that are open already come in front again.
open "Conversion definition table" "$main" alt+o d
open "Periodic Table" "$main" alt+u p
open "Numerical Integration" "$main" alt+u n

if [ "$failures" -ne 0 ]; then
  echo "$failures window(s) not in front"
  exit 1
fi
