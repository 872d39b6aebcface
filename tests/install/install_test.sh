#!/usr/bin/env bash
# Installs the game into a scratch root and looks at it as a player's system would: the command
# in bin with its files and both manuals in share/pelaryn, valid menu and software-centre entries
# in English and Japanese, the icons and the English and Japanese manual pages; then starts the
# installed game twice from an unrelated folder under a virtual X server. It must find its files
# from its own place, keep the settings and ranking in the player's folder (never in the
# installation, writable as it is here), read them back at the next start, and resolve a relative
# path in the settings against its data folder.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
DESTDIR=$root cmake --install "$build" >/dev/null

fail() { echo "install_test: $*" >&2; exit 1; }

command=$(find "$root" -path '*/bin/pelaryn')
[[ -n "$command" ]] || fail "no bin/pelaryn"
[[ -f "$command" && ! -L "$command" && -x "$command" ]] || fail "bin/pelaryn is not the program"
prefix=$(dirname "$(dirname "$command")")
data=$prefix/share/pelaryn
for f in back.bmp pelaryn.html pelaryn.en.html sound/{title,1,2,boss1,boss2}.mid \
  sound/{damage,hit,getitem,bomshot,bosshit,explode}.wav; do
  [[ -f "$data/$f" ]] || fail "$f is not in share/pelaryn"
done
[[ ! -e "$prefix/bin/back.bmp" && ! -e "$prefix/bin/sound" ]] || fail "data files in bin"

version=$(cd / && "$command" --version)
[[ "$version" =~ ^pelaryn\ ([0-9]+\.[0-9]+)$ ]] || fail "--version said '$version'"
number=${BASH_REMATCH[1]}

id=io.github.pelaryn.pelaryn
entry=$prefix/share/applications/$id.desktop
[[ -f "$entry" ]] || fail "no menu entry $id.desktop"
exec_line=$(grep '^Exec=' "$entry")
exec_command=${exec_line#Exec=}
[[ -x "$prefix/bin/${exec_command%% *}" ]] || fail "the menu entry runs ${exec_line#Exec=}"
grep -q '^MimeType=application/x-pelaryn-replay;$' "$entry" || fail "the menu entry opens no replays"
report=$(desktop-file-validate "$entry" 2>&1) || fail "the menu entry: $report"
[[ -z "$report" ]] || fail "the menu entry: $report"
for key in Name GenericName Comment Keywords; do
  grep -q "^$key=[ -~]*$" "$entry" || fail "the menu entry has no English $key"
  grep -q "^$key\[ja\]=.*[^ -~]" "$entry" || fail "the menu entry has no Japanese $key"
done

# The replay type, told by the file's magic bytes as well as its name.
[[ -f "$prefix/share/mime/packages/$id.xml" ]] || fail "no replay file type"
update-mime-database "$prefix/share/mime" || fail "the replay file type does not install"
[[ -f "$prefix/share/mime/application/x-pelaryn-replay.xml" ]] || fail "the replay type is missing"
grep -q 'PELRPY' "$prefix/share/mime/magic" || fail "the replay type has no magic"

meta=$prefix/share/metainfo/$id.metainfo.xml
[[ -f "$meta" ]] || fail "no software-centre entry $id.metainfo.xml"
grep -q "^License: CC-BY-4.0" "$prefix/share/doc/pelaryn/copyright" || fail "no licence file"
report=$(appstreamcli validate --no-net --pedantic "$meta" 2>&1) ||
  fail "the software-centre entry: $report"
# The name, the summary and each paragraph and item of the description in Japanese as well.
texts=$(sed '/<releases>/,/<\/releases>/d' "$meta")
english=$(grep -cE '^ *<(name|summary|p|li)>' <<<"$texts")
translated=$(grep -cE '^ *<(name|summary|p|li) xml:lang="ja">' <<<"$texts")
[[ $english -ge 4 && $translated -eq $english ]] ||
  fail "the software-centre entry: $translated Japanese texts for $english English ones"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" ||
  fail "the software-centre entry does not launch $id.desktop"
grep -q "<release version=\"$number\"" "$meta" || fail "the software-centre entry lacks $number"

for size in 16 32 48 64 128 256; do
  [[ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/pelaryn.png" ]] ||
    fail "no ${size}x${size} icon"
done
# The manual pages formatted for a terminal as man shows them (-z would hide the warnings about
# lines that cannot be broken or adjusted). The Japanese one is read as UTF-8 through preconv,
# with ja.tmac, which man loads for a page under ja/ and which breaks lines between Japanese
# characters.
page=$prefix/share/man/man6/pelaryn.6
[[ -f "$page" ]] || fail "no manual page"
warnings=$(groff -man -ww -z "$page" 2>&1 && groff -man -ww -Tutf8 "$page" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "the manual page: $warnings"
page=$prefix/share/man/ja/man6/pelaryn.6
[[ -f "$page" ]] || fail "no Japanese manual page"
iconv -f UTF-8 -t UTF-8 "$page" >/dev/null || fail "the Japanese manual page is not UTF-8"
grep -q '^\.SH 名前$' "$page" || fail "the Japanese manual page is not in Japanese"
warnings=$(groff -k -mja -man -ww -Tutf8 "$page" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "the Japanese manual page: $warnings"
echo "installed: command, data, both manuals, menu and software-centre entries, icons, manual pages"

# A player's home of its own, and a working directory that holds nothing of the game.
export HOME=$work/home PELARYN_CMD=$command PELARYN_WORK=$work SDL_AUDIODRIVER=dummy
unset XDG_DATA_HOME
mkdir -p "$HOME" "$work/elsewhere"
mine=$HOME/.local/share/pelaryn
play() {
  (cd "$work/elsewhere" && xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    "$PELARYN_CMD" 2>"$PELARYN_WORK/stderr" & pid=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --name "ヴェルガード" | head -n 1 || true)
    [[ -n "$wid" ]] || { kill "$pid"; echo "no window"; exit 1; }
    sleep 1
    xdotool windowfocus --sync "$wid" key F9
    timeout 30 tail --pid="$pid" -f /dev/null || { kill "$pid"; echo "F9 did not end it"; exit 1; }
    wait "$pid"
  ') || fail "the installed game: $(cat "$work/stderr")"
  ! grep -i "cannot use" "$work/stderr" || fail "the installed game missed a file"
}

play
for file in pelaryn.cfg pelaryn.sco; do
  [[ -s "$mine/$file" ]] || fail "$file is not in the player's folder"
done
[[ $(stat -c %a "$mine") == 700 ]] || fail "the player's folder is not private"
stray=$(find "$root" "$work/elsewhere" -name 'pelaryn.cfg*' -o -name 'pelaryn.sco*')
[[ -z "$stray" ]] || fail "files saved outside the player's folder: $stray"
grep -aqF "$data/back.bmp" "$mine/pelaryn.cfg" || fail "the background is not the installed one"
echo "first start: window shown, settings and ranking saved in the player's folder"

# A background named relative to the data folder, as a player may type it: the next start must
# read the player's settings and find the picture there, not in the working directory.
sed -i "s|$data/back.bmp|back.bmp|" "$mine/pelaryn.cfg"
play
if grep -aqF "$data/back.bmp" "$mine/pelaryn.cfg"; then fail "the settings were not read back"; fi
grep -aq '^"back\.bmp",' "$mine/pelaryn.cfg" || fail "the relative background was not kept"
echo "second start: the player's settings read back, a relative background found"
