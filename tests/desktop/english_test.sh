#!/usr/bin/env bash
# The game on an English desktop (LANGUAGE=en): the window, its menus and the whole game-over
# sequence speak English. The result box, the name entry and the ranking window appear under
# their English titles, and their pictures differ from the Japanese ones of the same moment; the
# ranking window's heading is the picture drawn in each language.
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
    # The heading blinks: a picture of the window where its ink shows.
    for i in $(seq 1 20); do
      import -window "$ranking" "$PELARYN_WORK/$NAME-heading.png"
      [[ $(convert "$PELARYN_WORK/$NAME-heading.png" -alpha off -fill black +opaque "$INK" \
             -fill white -opaque "$INK" -format "%[fx:round(mean*w*h)]" info:) -gt 0 ]] && break
      sleep 0.2
    done
    kill "$pid"
  '
}

# The ranking window's heading is found by its outline's ink, which nothing else in the window
# wears, and must be the picture drawn for the window's language, pixel for pixel.
export INK="rgb(26,14,38)"
assets=$(dirname "$0")/../../src/render/assets
ink_box() { convert "$1" -alpha off -fill black +opaque "$INK" -format %@ info: 2>/dev/null; }
heading_is() {
  local w h x y lx ly
  IFS='x+' read -r w h x y <<<"$(ink_box "$work/$1-heading.png")"
  IFS='x+' read -r _ _ lx ly <<<"$(ink_box "$assets/$2")"
  (( w > 0 )) || { echo "the $1 ranking window's heading never showed"; exit 1; }
  convert "$work/$1-heading.png" -crop "250x26+$((x - lx))+$((y - ly))" +repage "$work/$1-cut.png"
  [[ $(compare -metric AE "$work/$1-cut.png" "$assets/$2" null: 2>&1) == 0 ]] ||
    { echo "the $1 ranking window does not show $2"; exit 1; }
}

TITLE=ヴェルガード NAME=ja walk
LANGUAGE=en TITLE=Velgard NAME=en walk
heading_is ja ranklogo.png
heading_is en ranklogo-en.png
for shot in menu result entry ranking; do
  if cmp -s <(convert "$work/ja-$shot.png" rgb:-) <(convert "$work/en-$shot.png" rgb:-); then
    echo "the $shot reads the same in English as in Japanese"
    exit 1
  fi
done
echo "menus, result, name entry and ranking in English"
