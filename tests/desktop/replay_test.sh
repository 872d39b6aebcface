#!/usr/bin/env bash
# A game played in the real window is recorded: after some ten seconds of play and F9, its replay
# lies in replays/ beside the settings and the headless runner verifies it, so both front ends ran
# the same game. `pelaryn FILE` then plays it in the window, whose title says so; F4 ends the
# playback and the title returns.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"
export PELARYN_SIM=$2

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  "$PELARYN_EXE" & pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "ヴェルガード" | head -n 1)
  sleep 2
  xdotool windowfocus --sync "$wid" key F2
  sleep 0.5
  xdotool keydown Left keydown z; sleep 3; xdotool keyup Left keydown Right; sleep 3
  xdotool keyup Right keyup z key F3; sleep 0.5; xdotool key F3 key F6; sleep 2
  xdotool keydown x; sleep 1.5; xdotool keyup x key F9
  wait "$pid"
'
replays=("$(dirname "$PELARYN_EXE")"/replays/*.pelrpy)
[[ ${#replays[@]} -eq 1 && -f ${replays[0]} ]] || { echo "no replay was kept"; exit 1; }
"$PELARYN_SIM" --replay "${replays[0]}" --program-folder "$(dirname "$PELARYN_EXE")" \
  | tee "$PELARYN_WORK/verified"
frames=$(sed -n 's/^replay verified: \([0-9]*\) frames.*/\1/p' "$PELARYN_WORK/verified")
[[ -n $frames && $frames -gt 150 ]] || { echo "the replay holds $frames frames"; exit 1; }

export PELARYN_REPLAY=${replays[0]}
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  "$PELARYN_EXE" "$PELARYN_REPLAY" & pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^ヴェルガード — リプレイ [0-9]+$" \
        | head -n 1)
  sleep 1
  import -window "$wid" "$PELARYN_WORK/playing.png"
  xdotool windowfocus --sync "$wid" key F4
  sleep 1
  [[ $(xdotool getwindowname "$wid") == "ヴェルガード" ]] || { echo "F4 left the playback on"; exit 1; }
  xdotool key F9
  wait "$pid"
'
