#!/usr/bin/env bash
# The window at a size that is no whole multiple of the picture, and full screen, under a small
# window manager as players have one: the picture fills the window with its shape kept; F11 makes
# the window cover the screen with the picture centred and the game's keys still working; F11
# again gives the window back at its size; both are remembered in the preferences file, and the
# next start comes up full screen as it was left.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"
prefs=$XDG_CONFIG_HOME/pelaryn/pelaryn.conf

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  # The X server ships only its built-in font; evilwm asks for one by name.
  evilwm -fn fixed & wm=$!
  trap "kill $wm 2>/dev/null || true" EXIT
  size() { xwininfo -id "$1" | awk "/Width:/ { w = \$2 } /Height:/ { h = \$2 } END { print w \"x\" h }"; }
  # Waits until the window has the given size, as the window manager grants it in its own time.
  await_size() {
    for i in $(seq 1 50); do
      [[ $(size "$1") == "$2" ]] && return 0
      sleep 0.2
    done
    echo "the window is $(size "$1"), not $2" >&2
    return 1
  }
  start() {
    "$PELARYN_EXE" & pid=$!
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^ヴェルガード\$" | head -n 1)
    # evilwm gives the keyboard to the window under the pointer.
    xdotool mousemove --window "$wid" 150 150
    sleep 2
  }
  quit() {
    xdotool windowfocus --sync "$wid" key F9
    timeout 20 tail --pid="$pid" -f /dev/null || { kill "$pid"; echo "F9 did not end the game"; exit 1; }
    wait "$pid"
  }

  start
  size "$wid" >"$PELARYN_WORK/first-size"
  xdotool windowmove --sync "$wid" 0 0 windowsize --sync "$wid" 437 700
  await_size "$wid" 437x700
  sleep 1
  import -window "$wid" "$PELARYN_WORK/uneven.png"
  xdotool windowfocus --sync "$wid" key F11
  await_size "$wid" 1280x800
  sleep 1
  import -window root "$PELARYN_WORK/full-title.png"
  xdotool key F2
  sleep 1.5
  import -window root "$PELARYN_WORK/full-start.png"
  xdotool keydown Left keydown z
  sleep 1
  import -window root "$PELARYN_WORK/full-moving.png"
  xdotool keyup z keyup Left
  xdotool key F11
  await_size "$wid" 437x700
  quit
  cp "$XDG_CONFIG_HOME/pelaryn/pelaryn.conf" "$PELARYN_WORK/left-normal.conf"

  # Left full screen: the next start comes up that way.
  start
  xdotool windowfocus --sync "$wid" key F11
  await_size "$wid" 1280x800
  quit
  start
  await_size "$wid" 1280x800
  quit
'

fail() { echo "$1"; exit 1; }
# Pixels of a region whose colour passes an awk test on r, g, b.
count() {
  convert "$1" -crop "$2" txt:- |
    awk -F'[(),]' -v test="$3" 'NR > 1 {
      r = $3; g = $4; b = $5
      if (test == "yellow" && r > 180 && g > 140 && b < 110) n++
      if (test == "green" && g > 150 && r < 150 && b < 150) n++
      if (test == "lit" && r + g + b > 30) n++
    } END { print n + 0 }'
}

# The menu bar: what the first window holds above the 300 x 400 picture.
read -r w h <<<"$(tr x " " <"$work/first-size")"
[[ $w == 300 ]] || fail "the first window is $w wide, not the picture's 300"
bar=$((h - 400))
echo "menu bar $bar pixels high"

# 437 wide: 1.457 times the picture, 583 high, centred in the 700 - bar below the menu bar.
read -r w h <<<"$(identify -format "%w %h" "$work/uneven.png")"
[[ "$w $h" == "437 700" ]] || fail "the screenshot of the window is $w x $h"
top=$((bar + (700 - bar - 583) / 2))
above=$(count "$work/uneven.png" "437x$((top - bar))+0+$bar" lit)
below=$(count "$work/uneven.png" "437x$((700 - top - 583))+0+$((top + 583))" lit)
rocket=$(count "$work/uneven.png" "277x284+$((58 * 1457 / 1000))+$((top + 48 * 1457 / 1000))" yellow)
echo "at 1.457x: picture from y=$top; lit pixels above $above, below $below; rocket $rocket"
[[ $above -eq 0 && $below -eq 0 ]] || fail "the picture is not centred with black above and below"
[[ $rocket -gt 1000 ]] || fail "the title is not enlarged to the window"

# Full screen: 1280 x (800 - bar) below the menu bar, the picture 587 x 782 from x=346.
field() { convert "$1" -crop "587x$((800 - bar))+346+$bar" +repage -resize '300x400!' "$2"; }
for shot in full-title full-start full-moving; do field "$work/$shot.png" "$work/$shot-field.png"; done
sides=$(( $(count "$work/full-title.png" "346x$((800 - bar))+0+$bar" lit) +
          $(count "$work/full-title.png" "347x$((800 - bar))+933+$bar" lit) ))
rocket=$(count "$work/full-title-field.png" 190x195+58+48 yellow)
echo "full screen: lit pixels beside the picture $sides; rocket $rocket"
[[ $sides -eq 0 ]] || fail "the picture is not centred with black beside it"
[[ $rocket -gt 500 ]] || fail "the title is not shown full screen"
ship=$(count "$work/full-start-field.png" 16x32+150+320 yellow)
left=$(count "$work/full-moving-field.png" 120x32+0+320 yellow)
shots=$(count "$work/full-moving-field.png" 150x220+0+100 green)
echo "full screen: ship $ship at the start; after Left and Z $left to the left, shots $shots"
[[ $ship -gt 10 ]] || fail "F2 did not start a game in full screen"
[[ $left -gt 10 && $shots -gt 10 ]] || fail "the game's keys do not work in full screen"

grep -q '^Width=437$' "$work/left-normal.conf" && grep -q '^Height=700$' "$work/left-normal.conf" &&
  grep -q '^FullScreen=false$' "$work/left-normal.conf" || {
  cat "$work/left-normal.conf"
  fail "the window's size was not remembered"
}
grep -q '^FullScreen=true$' "$prefs" || fail "full screen was not remembered"
grep -q '^Width=437$' "$prefs" || fail "full screen forgot the window's size"
echo "size and full screen remembered in $(basename "$prefs")"
