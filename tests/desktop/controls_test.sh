#!/usr/bin/env bash
# The player's own keys and window behaviour in the real window, on a 1920 × 1080 screen: the
# first start opens a 600 × 800 field, centred; with ショット bound to A, holding A fires and Z
# does not (seen in F12's pictures); focusing another window pauses the game, the title says so
# and the field stays still; F3 resumes; the preferences outlast the program.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"
mkdir -p "$XDG_CONFIG_HOME/pelaryn"
# Qt finds the pictures folder through the user's folder list.
echo "XDG_PICTURES_DIR=\"$PELARYN_WORK/pictures\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
printf '[Keys]\nShot1=A\n' >"$XDG_CONFIG_HOME/pelaryn/pelaryn.conf"
shots=$PELARYN_WORK/pictures/pelaryn
export shots

xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  set -euo pipefail
  newest() { ls -t "$shots"/*[0-9].png | head -n 1; }
  # Bright green: the player'"'"'s shots, in the column above the ship.
  green() {
    convert "$1" -crop 60x220+120+90 -fx "g>0.55 && r<0.45 && b<0.45 ? 1 : 0" \
      -format "%[fx:round(mean*w*h)]" info:
  }
  title() { xdotool getwindowname "$wid"; }
  "$PELARYN_EXE" & pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "ヴェルガード" | head -n 1)
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  [[ $WIDTH -eq 600 && $HEIGHT -gt 800 && $HEIGHT -lt 860 ]] || { echo "first window ${WIDTH}x$HEIGHT"; exit 1; }
  (( X + WIDTH / 2 >= 950 && X + WIDTH / 2 <= 970 )) || { echo "not centred: x $X"; exit 1; }
  xdotool windowfocus --sync "$wid" key F2
  sleep 0.5
  xdotool keydown a; sleep 1.2; xdotool key F12; sleep 0.2; xdotool keyup a
  fired=$(newest)
  [[ -f ${fired%.png}-2x.png ]] || { echo "F12 wrote no 2x picture"; ls "$shots"; exit 1; }
  [[ $(title) == "ヴェルガード — スクリーンショットを保存しました" ]] || { echo "title: $(title)"; exit 1; }
  sleep 1.2
  xdotool keydown z; sleep 1.2; xdotool key F12; sleep 0.2; xdotool keyup z
  quiet=$(newest)
  [[ $(green "$fired") -gt 40 ]] || { echo "A did not fire: $(green "$fired")"; exit 1; }
  [[ $(green "$quiet") -lt 10 ]] || { echo "Z fired: $(green "$quiet")"; exit 1; }

  xmessage "another program" & other=$!
  owid=$(timeout 10 xdotool search --sync --onlyvisible --class Xmessage | head -n 1)
  xdotool windowfocus --sync "$owid"
  sleep 1
  [[ $(title) == "ヴェルガード"*" — 一時停止中" ]] || { echo "not paused: $(title)"; exit 1; }
  kill "$other"
  xdotool windowfocus --sync "$wid" key F12; sleep 1.1; xdotool key F12; sleep 0.3
  mapfile -t still < <(ls -t "$shots"/*[0-9].png | head -n 2)
  cmp -s "${still[0]}" "${still[1]}" || { echo "the paused field moved"; exit 1; }
  xdotool key F3; sleep 0.5
  [[ $(title) != *一時停止中* ]] || { echo "F3 did not resume"; exit 1; }
  xdotool key F9
  wait "$pid"
'
grep -qx "Shot1=A" "$XDG_CONFIG_HOME/pelaryn/pelaryn.conf" || { echo "the binding was not kept"; exit 1; }
grep -qx "Width=600" "$XDG_CONFIG_HOME/pelaryn/pelaryn.conf" || { echo "the size was not kept"; exit 1; }
echo "controls: first window, bound keys, pause on focus loss and screenshots as expected"
