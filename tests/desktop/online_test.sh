#!/usr/bin/env bash
# A game over in the real window with sending on, while the score board is away, waits in the
# outbox; at the next start, with the board back on the loopback, it is sent: the title says its
# place, the board lists it, the sim verifies the replay the board holds, and the ranking's
# online tab plays it back in the main window.
# Usage: online_test.sh PELARYN PELARYN-SERVER PELARYN-SIM
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"
server_exe=$2
sim=$3
server=""
trap 'if [[ -n $server ]]; then kill "$server"; wait "$server" || true; fi; rm -rf "$work"' EXIT

# Starts the board (on port $1, 0 for any free one) and sets `server` and `board`.
start_board() {
  : >"$work/server.out"
  "$server_exe" --listen "127.0.0.1:$1" --db "sqlite:$work/board.db" --workers 1 \
    >"$work/server.out" 2>"$work/server.err" &
  server=$!
  for i in $(seq 1 60); do
    grep -q "listening on" "$work/server.out" && break
    sleep 0.5
  done
  board=$(sed -n 's/^pelaryn-server: listening on //p' "$work/server.out")
  [[ -n "$board" ]] || { echo "the server did not start"; cat "$work/server.err"; exit 1; }
}
stop_board() {
  kill "$server"
  wait "$server" || true
  server=""
}

# Runs the game; with "play", to the end of one game over; with "online", opens the ranking's
# online tab and plays its first run. Waits for the main window's title to hold $2 and ends the
# game.
run_game() {
  export PELARYN_PLAY=$1 PELARYN_EXPECT=$2
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -euo pipefail
    "$PELARYN_EXE" & pid=$!
    source "$PELARYN_AWAIT"
    main=$(await "^ヴェルガード")
    if [[ $PELARYN_PLAY == play ]]; then
      sleep 1
      xdotool windowfocus --sync "$main" key F2
      # Standing still, the ship is lost within some twenty seconds.
      box=""
      for i in $(seq 1 120); do
        box=$(xdotool search --onlyvisible --name "^pelaryn" 2>/dev/null | head -n 1 || true)
        [[ -n "$box" ]] && break
        sleep 0.5
      done
      [[ -n "$box" ]] || { echo "no game over"; kill "$pid"; exit 1; }
      # The replay is kept, and sent, once the game over is through.
      xdotool windowfocus --sync "$box" key Return
    elif [[ $PELARYN_PLAY == online ]]; then
      # 設定 on the menu bar, then its fourth item, スコアランキング.
      xdotool mousemove --window "$main" 60 10 click 1
      sleep 0.5
      xdotool key Down Down Down Return
      ranking=""
      for i in $(seq 1 60); do
        for id in $(xdotool search --onlyvisible --name "^ヴェルガード$" 2>/dev/null || true); do
          [[ $id != "$main" ]] && ranking=$id
        done
        [[ -n "$ranking" ]] && break
        sleep 0.5
      done
      [[ -n "$ranking" ]] || { echo "no ranking window"; kill "$pid"; exit 1; }
      # From OK back to the tab bar, on to オンライン; once the board has answered, a double click
      # on the first row plays it (the table sits below the board list).
      xdotool windowfocus --sync "$ranking" key shift+Tab Right
      sleep 5
      xdotool mousemove --window "$ranking" 150 105 click --repeat 2 --delay 80 1
    fi
    seen=""
    for i in $(seq 1 240); do
      title=$(xdotool getwindowname "$main" 2>/dev/null || true)
      [[ $title == *"$PELARYN_EXPECT"* ]] && { seen=$title; break; }
      # Playing back from the ranking: its window must not be answered before 再生 took.
      if [[ $PELARYN_PLAY == online ]]; then sleep 0.25; continue; fi
      # A name entry or the ranking, should the score reach it; a window may close between
      # being found and being answered: then there is nothing to do.
      entry=$(xdotool search --onlyvisible --name "NAME ENTRY" 2>/dev/null | head -n 1 || true)
      if [[ -n "$entry" ]]; then
        xdotool windowfocus --sync "$entry" type "TESTER" key Return 2>/dev/null || true
      fi
      for id in $(xdotool search --onlyvisible --name "^ヴェルガード$" 2>/dev/null || true); do
        if [[ $id != "$main" ]]; then xdotool windowfocus --sync "$id" key Return 2>/dev/null || true; fi
      done
      sleep 0.25
    done
    echo "title: ${seen:-$(xdotool getwindowname "$main")}"
    kill "$pid"
    wait "$pid" || true
    [[ -n "$seen" ]] || { echo "the title never said \"$PELARYN_EXPECT\""; exit 1; }
  '
}

# A port where nobody answers, for now.
start_board 0
port=${board##*:}
stop_board
mkdir -p "$XDG_CONFIG_HOME/pelaryn"
printf '[Online]\nServer=http://127.0.0.1:%s\nName=Tester\nSubmit=true\n' "$port" \
  >"$XDG_CONFIG_HOME/pelaryn/pelaryn.conf"
run_game play "サーバーに届きませんでした"
waiting=$(ls "$game/replays/outbox" | wc -l)
[[ $waiting -eq 1 ]] || { echo "the outbox holds $waiting runs, not 1"; exit 1; }

start_board "$port"
run_game start "オンライン 1位 (standard)"
rows=$(curl -sf "$board/api/v1/boards/standard")
echo "board: $rows"
id=$(python3 -c 'import json,sys; b=json.loads(sys.argv[1]); assert b["total"] == 1, b; print(b["rows"][0]["id"])' "$rows")
curl -sf -o "$work/run.pelrpy" "$board/api/v1/runs/$id/replay"
"$sim" --replay "$work/run.pelrpy" --board
[[ -z $(ls -A "$game/replays/outbox") ]] || { echo "the run is still in the outbox"; exit 1; }

# The ranking's オンライン tab lists the run, and 再生 plays it in the main window, whose title
# names the place and the player.
run_game online "リプレイ オンライン 1位 Tester"
echo "the game over waited for the board, was ranked at the next start, its replay verifies, and it plays from the online tab"
