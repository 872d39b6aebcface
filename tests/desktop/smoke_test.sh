#!/usr/bin/env bash
# Starts the real game in a virtual X server and looks at its window as a player would: the title
# shows first; F2 starts a game whose field shows the background and the ship; holding Left and Z
# moves the ship and fires; 設定 → オプション opens the settings window, drawn, with the game
# standing still behind it until it closes; F3 freezes the field at almost no CPU and F3 again
# resumes; F4 goes back to the title; F1 opens the manual; F9 ends the game with exit code 0.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  "$PELARYN_EXE" & pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "ヴェルガード" | head -n 1)
  sleep 2
  import -window "$wid" "$PELARYN_WORK/title.png"
  xdotool windowfocus --sync "$wid" key F2
  sleep 1.5
  import -window "$wid" "$PELARYN_WORK/start.png"
  xdotool keydown Left keydown z
  sleep 1
  import -window "$wid" "$PELARYN_WORK/moving.png"
  xdotool keyup z keyup Left
  # 設定 is the second menu of the bar; オプション is the third item from its end, above
  # 操作とサウンド… and ミュート. A search can meet the popup of the menu as it closes (an X error
  # for xdotool), and a busy machine may open the menu late: look again, and open the menu again,
  # a few times.
  dlg=""
  for attempt in 1 2 3; do
    xdotool mousemove --window "$wid" 70 10 click 1
    sleep 1
    xdotool key Up Up Up Return
    for i in $(seq 1 10); do
      dlg=$(xdotool search --onlyvisible --name "^設定\$" 2>/dev/null | head -n 1 || true)
      [[ -n "$dlg" ]] && break 2
      sleep 0.5
    done
    xdotool key Escape
  done
  [[ -n "$dlg" ]] || { echo "the settings window did not open"; kill "$pid"; exit 1; }
  # Beside the game, so that the play field stays in sight.
  xdotool windowmove --sync "$dlg" 500 0
  sleep 1
  import -window "$dlg" "$PELARYN_WORK/settings.png"
  import -window "$wid" "$PELARYN_WORK/behind1.png"
  sleep 1
  import -window "$wid" "$PELARYN_WORK/behind2.png"
  xdotool windowfocus --sync "$dlg" key Escape
  sleep 1
  import -window "$wid" "$PELARYN_WORK/after.png"
  xdotool windowfocus --sync "$wid" key F3
  sleep 0.5
  import -window "$wid" "$PELARYN_WORK/paused-1.png"
  ticks() { awk "{ print \$14 + \$15 }" "/proc/$pid/stat"; }
  before=$(ticks)
  sleep 3
  after=$(ticks)
  echo $(((after - before) * 100 / $(getconf CLK_TCK) / 3)) >"$PELARYN_WORK/paused-cpu"
  import -window "$wid" "$PELARYN_WORK/paused-2.png"
  xdotool key F3
  sleep 1
  import -window "$wid" "$PELARYN_WORK/resumed.png"
  xdotool key F4
  sleep 1.5
  import -window "$wid" "$PELARYN_WORK/title-again.png"
  xdotool key F1
  viewer=$(timeout 10 xdotool search --sync --onlyvisible --name "説明書" | head -n 1 || true)
  [[ -n "$viewer" ]] || { echo "F1 did not open the manual"; kill "$pid"; exit 1; }
  xdotool windowfocus --sync "$wid" key F9
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

for shot in title start moving paused-1 paused-2 resumed title-again; do
  field "$work/$shot.png" "$work/$shot-field.png"
done

# The title's rocket, zoomed in to its full size at (58, 48).
for shot in title title-again; do
  rocket=$(count "$work/$shot-field.png" 190x195+58+48 yellow)
  echo "yellow rocket pixels on the $shot screen: $rocket"
  [[ $rocket -gt 500 ]] || { echo "the title is not shown"; exit 1; }
done

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

settings=$(convert "$work/settings.png" -format %k info:)
echo "settings window shows $settings colours"
[[ $settings -gt 16 ]] || { echo "the settings window is blank"; exit 1; }
for f in behind1 behind2 after; do field "$work/$f.png" "$work/$f-field.png"; done
still=$(compare -metric AE "$work/behind1-field.png" "$work/behind2-field.png" null: 2>&1 || true)
moved=$(compare -metric AE "$work/behind2-field.png" "$work/after-field.png" null: 2>&1 || true)
echo "pixels changed behind the settings window: $still; after it closed: $moved"
[[ $still -eq 0 ]] || { echo "the game went on behind the settings window"; exit 1; }
[[ $moved -gt 0 ]] || { echo "the game did not go on after the settings window closed"; exit 1; }

shots=$(count "$work/moving-field.png" 150x220+0+100 green)
echo "green shot pixels above the ship: $shots"
[[ $shots -gt 10 ]] || { echo "Z did not fire"; exit 1; }

differ() {
  compare -metric AE "$1" "$2" null: 2>&1 || true
}
frozen=$(differ "$work/paused-1-field.png" "$work/paused-2-field.png")
echo "pixels changed over 3 s of pause: $frozen"
[[ $frozen == 0 ]] || { echo "the field moved while paused"; exit 1; }
cpu=$(cat "$work/paused-cpu")
echo "CPU while paused: $cpu % of a core"
[[ $cpu -lt 20 ]] || { echo "the pause keeps the processor busy"; exit 1; }
moved=$(differ "$work/paused-2-field.png" "$work/resumed-field.png")
echo "pixels changed after resuming: $moved"
[[ $moved -gt 100 ]] || { echo "F3 did not resume the game"; exit 1; }

for file in pelaryn.cfg pelaryn.sco; do
  [[ -s "$game/$file" ]] || { echo "$file was not saved beside the program"; exit 1; }
done
echo "settings and ranking saved beside the program"
