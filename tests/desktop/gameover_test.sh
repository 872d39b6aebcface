#!/usr/bin/env bash
# Walks the end of a game in the real window: the result box, the name typed into the name box,
# the ranking window with the new row, and both files saved beside the program.
set -euo pipefail
source "$(dirname "$0")/scratch_game.sh" "$1"

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  "$PELARYN_EXE" & pid=$!
  source "$PELARYN_AWAIT"
  main=$(await "^ヴェルガード$")
  box=$(await "^pelaryn")
  import -window "$box" "$PELARYN_WORK/result.png"
  xdotool windowfocus --sync "$box" key Return
  entry=$(await "NAME ENTRY")
  import -window "$entry" "$PELARYN_WORK/entry.png"
  xdotool windowfocus --sync "$entry" type "TESTER"
  xdotool key Return
  ranking=""
  for i in $(seq 1 60); do
    for id in $(xdotool search --onlyvisible --name "ヴェルガード" 2>/dev/null); do
      [[ $id != "$main" ]] && ranking=$id
    done
    [[ -n "$ranking" ]] && break
    sleep 0.5
  done
  [[ -n "$ranking" ]] || { echo "the ranking window did not appear"; kill "$pid"; exit 1; }
  sleep 0.5
  import -window "$ranking" "$PELARYN_WORK/ranking.png"
  xdotool windowfocus --sync "$ranking" key Return
  sleep 1
  # The next game ends the same way: its result box shows that the title came back in between.
  await "^pelaryn" >/dev/null
  kill "$pid"
'

colours() { convert "$1" -format %k info:; }
for shot in result entry ranking; do
  n=$(colours "$work/$shot.png")
  echo "$shot window shows $n colours"
  [[ $n -gt 2 ]] || { echo "the $shot window is blank"; exit 1; }
done
ranking=$(iconv -f CP932 -t UTF-8 "$game/pelaryn.sco")
echo "saved ranking, first line: $(head -n 1 <<<"$ranking")"
[[ $(head -n 1 <<<"$ranking") == $'"TESTER",555,0,0\r' ]] || { echo "the new row was not saved first"; exit 1; }
[[ $(wc -l <<<"$ranking") -eq 10 ]] || { echo "the ranking file does not hold ten rows"; exit 1; }
[[ -s "$game/pelaryn.cfg" ]] || { echo "the settings were not saved"; exit 1; }
echo "result, name entry, ranking and files as expected"
