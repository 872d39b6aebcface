#!/usr/bin/env bash
# Starts the real game in a virtual X server and looks at its window as a player would: the play
# field must show the background and the ship; holding Left and Z must move the ship and fire.
# Then F9 must end the game with exit code 0.
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy PELARYN_EXE=$exe PELARYN_WORK=$work

xvfb-run -a -s "-screen 0 640x640x24" bash -c '
  set -euo pipefail
  "$PELARYN_EXE" & pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "ヴェルガード" | head -n 1)
  sleep 2
  import -window "$wid" "$PELARYN_WORK/start.png"
  xdotool windowfocus --sync "$wid" keydown Left keydown z
  sleep 1
  import -window "$wid" "$PELARYN_WORK/moving.png"
  xdotool keyup z keyup Left key F9
  code=0
  timeout 20 tail --pid="$pid" -f /dev/null || { kill "$pid"; echo "F9 did not end the game"; exit 1; }
  wait "$pid" || code=$?
  echo "exit code $code"
  exit "$code"
'

# The play field: the lowest 300 x 400 of the window, centred.
field() {
  read -r w h <<<"$(identify -format "%w %h" "$1")"
  convert "$1" -crop "300x400+$(((w - 300) / 2))+$((h - 400))" +repage "$2"
}
# Pixels of a region whose colour passes an awk test on r, g, b.
count() {
  convert "$1" -crop "$2" txt:- |
    awk -F'[(),]' -v test="$3" 'NR > 1 {
      r = $3; g = $4; b = $5
      if (test == "yellow" && r > 180 && g > 140 && b < 110) n++
      if (test == "green" && g > 150 && r < 150 && b < 150) n++
    } END { print n + 0 }'
}

field "$work/start.png" "$work/start-field.png"
field "$work/moving.png" "$work/moving-field.png"

colours=$(convert "$work/start-field.png" -format %k info:)
echo "play field shows $colours colours"
[[ $colours -gt 8 ]] || { echo "the background picture is missing"; exit 1; }

ship=$(count "$work/start-field.png" 16x32+150+320 yellow)
echo "yellow ship pixels at (150, 320): $ship"
[[ $ship -gt 10 ]] || { echo "the ship is not drawn at its place"; exit 1; }

left=$(count "$work/moving-field.png" 120x32+0+320 yellow)
still=$(count "$work/moving-field.png" 16x32+150+320 yellow)
echo "after holding Left: $left yellow pixels left of x=120, $still at the start"
[[ $left -gt 10 && $still -lt 5 ]] || { echo "Left did not move the ship"; exit 1; }

shots=$(count "$work/moving-field.png" 150x220+0+100 green)
echo "green shot pixels above the ship: $shots"
[[ $shots -gt 10 ]] || { echo "Z did not fire"; exit 1; }
