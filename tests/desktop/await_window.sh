# Sourced inside the real-window tests' X session, after the game was started as "$pid".
# await TITLE-PATTERN: waits up to 30 s for a visible window whose title matches and prints its
# id; without one it ends the game and the test.
await() {
  for i in $(seq 1 60); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [[ -n "$id" ]] && { echo "$id"; return; }
    sleep 0.5
  done
  echo "no window \"$1\" appeared" >&2
  kill "$pid"
  exit 1
}
