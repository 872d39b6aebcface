#!/usr/bin/env bash
# Installs the game into a scratch root and checks that the installed command runs from an
# unrelated folder and has its files beside its real location, the menu entry points at it, and
# the icons and the manual page are where the desktop and man look for them.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" >/dev/null

fail() { echo "install_test: $*" >&2; exit 1; }

command=$(find "$root" -path '*/bin/pelaryn')
[[ -n "$command" ]] || fail "no bin/pelaryn"
program=$(readlink -f "$command")
[[ -x "$program" && "$program" != "$command" ]] || fail "bin/pelaryn does not lead to the program"
folder=$(dirname "$program")
for f in back.bmp pelaryn.html sound/title.mid sound/hit.wav; do
  [[ -f "$folder/$f" ]] || fail "$f is not beside the program"
done

version=$(cd / && "$command" --version)
[[ "$version" =~ ^pelaryn\ [0-9]+\.[0-9]+$ ]] || fail "--version said '$version'"

entry=$(find "$root" -path '*/share/applications/pelaryn.desktop')
[[ -n "$entry" ]] || fail "no menu entry"
exec_line=$(grep '^Exec=' "$entry")
[[ -x "$root${exec_line#Exec=}" ]] || fail "the menu entry runs ${exec_line#Exec=}, not installed"
for size in 16 32 48 64 128 256; do
  find "$root" -path "*/icons/hicolor/${size}x${size}/apps/pelaryn.png" | grep -q . ||
    fail "no ${size}x${size} icon"
done

page=$(find "$root" -path '*/man/man6/pelaryn.6')
[[ -n "$page" ]] || fail "no manual page"
warnings=$(groff -man -ww -z "$page" 2>&1)
[[ -z "$warnings" ]] || fail "the manual page: $warnings"
echo "installed and found"
