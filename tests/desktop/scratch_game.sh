# Sourced by the real-window tests with the program's path as its argument. Puts a copy of the
# program and its files in a scratch folder, so that the settings and ranking it saves land
# beside the copy and no run sees what an earlier one saved, and sends the window's preferences
# to a scratch folder too, never the player's own. Sets `work` (removed at exit) and `game` (the
# copy's folder) and exports what the game and the test's inner scripts read.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game=$work/game
mkdir -p "$game"
cp -r "$1" "$(dirname "$1")"/{back.bmp,sound,pelaryn.html,pelaryn.en.html} "$game"/
export SDL_AUDIODRIVER=dummy PELARYN_EXE=$game/$(basename "$1") PELARYN_WORK=$work
export XDG_CONFIG_HOME=$work/config
# The inner scripts' `await`, for waiting on a window.
export PELARYN_AWAIT=$(dirname "${BASH_SOURCE[0]}")/await_window.sh
# The windows speak the system's language; the tests read them in the game's own, Japanese,
# unless one asks for another.
export LANG=C.UTF-8
unset LANGUAGE LC_ALL LC_MESSAGES
