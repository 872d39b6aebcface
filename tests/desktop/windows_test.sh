#!/usr/bin/env bash
# The main window under a window manager, as a player has one. A menu opened with a click and
# closed again (with Esc, with a click on the field, or by choosing an item) hands the arrow keys
# back to the ship at once; after a modal window the first click on the menu bar opens its menu;
# every window's title names the game once and tells the game's state as it is now; the next
# start opens the window where the player left it.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"
mkdir -p "$XDG_CONFIG_HOME/pelaryn"
echo "XDG_PICTURES_DIR=\"$PELARYN_WORK/pictures\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
export shots=$PELARYN_WORK/pictures/pelaryn

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  source "$PELARYN_AWAIT"
  # The X server ships only its built-in font; evilwm asks for one by name.
  evilwm -fn fixed & wm=$!
  trap "kill $wm 2>/dev/null || true" EXIT
  fail() { echo "$*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
  start() {
    "$PELARYN_EXE" & pid=$!
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^ヴェルガード\$" | head -n 1)
    # evilwm gives the keyboard to the window under the pointer.
    xdotool mousemove --window "$wid" 150 300
    sleep 2
  }
  title() { xdotool getwindowname "$1"; }
  # Where the ship is across the field in a new 1× screenshot, by its yellow body; -1 when it
  # is not to be seen.
  shipx() {
    xdotool key F12
    sleep 0.5
    local newest
    newest=$(ls -t "$shots"/*[0-9].png | head -n 1)
    convert "$newest" -crop 300x60+0+310 +repage txt:- | awk -F "[,:() ]+" "
      NR > 1 && \$3 > 230 && \$4 > 180 && \$5 < 120 { sum += \$1; n++ }
      END { print n ? int(sum / n) : -1 }"
  }
  # Holds an arrow key for a while: the ship, had it the keys, crosses half the field.
  hold() { xdotool keydown "$1"; sleep 2; xdotool keyup "$1"; sleep 0.2; }
  # The menu bar sits above the field: a click on a menu title, by its place along the bar.
  menu() { xdotool mousemove --window "$wid" "$1" 10 click 1; sleep 0.5; }
  popups() { xdotool search --onlyvisible --class pelaryn 2>/dev/null | grep -vcx "$wid" || true; }

  start
  [[ $(title "$wid") == "ヴェルガード" ]] || fail "title at the start: $(title "$wid")"
  xdotool key F2
  sleep 1
  centre=$(shipx)
  (( centre > 130 && centre < 170 )) || fail "the ship does not start in the middle: $centre"

  # Closed with Esc, the arrows steer the ship; so after a click on the field, and after an item.
  menu 20
  [[ $(popups) -ge 1 ]] || fail "the first menu did not open"
  xdotool key Escape; sleep 0.3
  hold Left
  x=$(shipx)
  (( x >= 0 && x < 60 )) || fail "after a menu closed with Esc, Left did not steer the ship: $x"
  [[ $(popups) -eq 0 ]] || fail "the arrows opened a menu"
  menu 20
  xdotool mousemove --window "$wid" 150 300 click 1; sleep 0.5
  hold Right
  x=$(shipx)
  (( x > 240 )) || fail "after a menu closed with a click, Right did not steer the ship: $x"
  # 設定, its last item (ミュート) chosen with the keyboard.
  menu 60
  xdotool key Up Return; sleep 0.3
  hold Left
  x=$(shipx)
  (( x >= 0 && x < 60 )) || fail "after an item, Left did not steer the ship: $x"
  [[ $(popups) -eq 0 ]] || fail "the arrows opened a menu after an item"

  # Titles: paused, the manual (which keeps its own when the game goes on), the about box, the
  # ranking window.
  sleep 2  # until the note of the screenshots leaves the title
  xdotool key F3; sleep 0.5
  [[ $(title "$wid") == "ヴェルガード — 一時停止中" ]] || fail "paused: $(title "$wid")"
  xdotool key F1
  manual=$(await "説明書")
  [[ $(title "$manual") == "ヴェルガード 説明書" ]] || fail "manual: $(title "$manual")"
  # Beside the game, as a player would put it, out of the way of the menu bar.
  xdotool windowmove "$manual" 945 0
  xdotool windowfocus --sync "$wid"; xdotool mousemove --window "$wid" 150 300; sleep 0.3
  xdotool key F3; sleep 0.5
  [[ $(title "$wid") == "ヴェルガード" ]] || fail "resumed: $(title "$wid")"
  [[ $(title "$manual") == "ヴェルガード 説明書" ]] || fail "manual after resuming: $(title "$manual")"
  # ヘルプ → バージョン情報, then the first click on the bar after it opens a menu at once.
  menu 100
  xdotool key Up Return
  about=$(await "バージョン情報")
  [[ $(title "$about") == "バージョン情報" ]] || fail "about box: $(title "$about")"
  xdotool windowfocus --sync "$about" key Escape; sleep 0.5
  menu 20
  [[ $(popups) -ge 1 ]] || fail "the first click on the bar after a window opened nothing"
  xdotool key Escape; sleep 0.3
  # 設定 → スコアランキング (the third item).
  menu 60
  xdotool key Down Down Down Return
  ranking=""
  for i in $(seq 1 20); do
    ranking=$(xdotool search --onlyvisible --name "ヴェルガード" | grep -vx "$wid" | grep -vx "$manual" | head -n 1 || true)
    [[ -n $ranking ]] && break
    sleep 0.3
  done
  [[ -n $ranking && $(title "$ranking") == "ヴェルガード" ]] || fail "ranking: $(title "$ranking" 2>/dev/null)"
  xdotool windowfocus --sync "$ranking" key Escape; sleep 0.5

  # Put somewhere else, the window comes back there at the next start.
  xdotool windowmove "$wid" 200 120; sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  before="$X,$Y"
  xdotool windowfocus --sync "$wid" key F9
  timeout 20 tail --pid="$pid" -f /dev/null || fail "F9 did not end the game"
  start
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  [[ "$X,$Y" == "$before" ]] || fail "the window came back at $X,$Y, not $before"
  xdotool key F9
  wait "$pid"
'
echo "windows: the keys return to the ship after a menu, the bar answers after a window, titles and place as expected"
