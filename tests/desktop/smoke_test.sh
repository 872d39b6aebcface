#!/usr/bin/env bash
# Starts the real game in a virtual X server, looks at a screenshot of its window (the play field
# must show the background and the ship), ends it with F9 and expects exit code 0.
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy PELARYN_EXE=$exe PELARYN_WORK=$work

xvfb-run -a -s "-screen 0 640x640x24" bash -c '
  set -euo pipefail
  "$PELARYN_EXE" & pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "ヴェルガード" | head -n 1)
  sleep 3
  import -window "$wid" "$PELARYN_WORK/window.png"
  xdotool windowfocus --sync "$wid" key F9
  code=0
  timeout 20 tail --pid="$pid" -f /dev/null || { kill "$pid"; echo "F9 did not end the game"; exit 1; }
  wait "$pid" || code=$?
  echo "exit code $code"
  exit "$code"
'

geometry=$(identify -format "%w %h" "$work/window.png")
read -r w h <<<"$geometry"
top=$((h - 400))
echo "window ${w}x${h}, play field from y=$top"
field="$work/field.png"
convert "$work/window.png" -crop "300x400+$(((w - 300) / 2))+$top" +repage "$field"

colours=$(convert "$field" -format %k info:)
echo "play field shows $colours colours"
[[ $colours -gt 8 ]] || { echo "the background picture is missing"; exit 1; }

# The ship stands at (150, 320): its yellow hull must be there.
yellow=$(convert "$field" -crop 16x32+150+320 txt:- |
  awk -F'[(),]' 'NR > 1 && $3 > 180 && $4 > 140 && $5 < 110 { n++ } END { print n + 0 }')
echo "yellow ship pixels: $yellow"
[[ $yellow -gt 10 ]] || { echo "the ship is not drawn at its place"; exit 1; }
