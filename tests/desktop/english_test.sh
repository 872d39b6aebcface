#!/usr/bin/env bash
# The game on an English desktop (LANGUAGE=en): the window, its menus and the whole game-over
# sequence speak English. The result box, the name entry and the ranking window appear under
# their English titles, and their pictures differ from the Japanese ones of the same moment.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"

walk() {
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -euo pipefail
    "$PELARYN_EXE" & pid=$!
    source "$PELARYN_AWAIT"
    main=$(await "^$TITLE\$")
    box=$(await "^pelaryn")
    import -window "$main" -crop 300x20+0+0 "$PELARYN_WORK/$NAME-menu.png"
    import -window "$box" "$PELARYN_WORK/$NAME-result.png"
    xdotool windowfocus --sync "$box" key Return
    entry=$(await "NAME ENTRY")
    sleep 0.3
    import -window "$entry" "$PELARYN_WORK/$NAME-entry.png"
    xdotool windowfocus --sync "$entry" type "TESTER"
    xdotool key Return
    for i in $(seq 1 60); do
      ranking=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | grep -v "^$main\$" | head -n 1 || true)
      [[ -n "$ranking" ]] && break
      sleep 0.5
    done
    [[ -n "$ranking" ]] || { echo "the ranking window did not appear"; kill "$pid"; exit 1; }
    sleep 0.5
    import -window "$ranking" "$PELARYN_WORK/$NAME-ranking.png"
    kill "$pid"
  '
}

TITLE=ヴェルガード NAME=ja walk
LANGUAGE=en TITLE=Velgard NAME=en walk
for shot in menu result entry ranking; do
  if cmp -s <(convert "$work/ja-$shot.png" rgb:-) <(convert "$work/en-$shot.png" rgb:-); then
    echo "the $shot reads the same in English as in Japanese"
    exit 1
  fi
done
echo "menus, result, name entry and ranking in English"
