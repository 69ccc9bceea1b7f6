#!/usr/bin/env bash
# Takes the pictures of the player's manual with the game itself: the game
# runs without the launcher in a virtual display (Xvfb), plays a short input
# script per picture set and writes its screenshots, which are converted to
# PNG into manual/images/.
#
#   tools/manual_screenshots.sh [game binary]   (default: build/release/globarch,
#                                                else build/asan/globarch)
# Needs Xvfb and ImageMagick's convert.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${1:-}"
if [ -z "$bin" ]; then
  for b in "$top/build/release/globarch" "$top/build/asan/globarch"; do
    [ -x "$b" ] && { bin="$b"; break; }
  done
fi
[ -n "$bin" ] && [ -x "$bin" ] || { echo "no game binary; build it first" >&2; exit 1; }
command -v Xvfb >/dev/null && command -v convert >/dev/null || { echo "needs Xvfb and convert" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
export GLOBARCH_HOME="$top" GLOBARCH_USER_DIR="$work/user" XDG_CONFIG_HOME="$work/config"
export GLOBARCH_SKIP_LAUNCHER=1 ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
mkdir -p "$work/shots" "$top/manual/images"

# One run of the game: $1 the input script, the rest the game's switches.
run() {
  local script="$1"; shift
  GLOBARCH_INPUT_SCRIPT="$script" "$bin" -windowed -width:1024 -height:768 -constantframetime:0.05 "$@" \
    >"$work/log.txt" 2>&1 || { cat "$work/log.txt" >&2; return 1; }
}

# The start menu and the setup of a single-player game.
cat >"$work/menu.txt" <<SCRIPT
100 click 500 300           # past the logos
120 move 500 300
125 screenshot $work/shots/start_menu.bmp
130 click 89 704            # Single Player Game
150 click 89 704            # New Game
200 move 1000 10
210 screenshot $work/shots/game_setup.bmp
220 quit
SCRIPT
run "$work/menu.txt"

# A new game on Small against three computer players.
cat >"$work/game.txt" <<SCRIPT
40 move 512 400
60 screenshot $work/shots/main_screen.bmp
70 key F2                   # purchases
90 screenshot $work/shots/purchases.bmp
100 click 975 600            # Close the purchase panels
110 key F3                  # statistics
130 screenshot $work/shots/statistics.bmp
140 key Escape
150 key F4                  # log
170 screenshot $work/shots/log.bmp
180 key Escape
190 quit
SCRIPT
run "$work/game.txt" -newgame:Small:hccc:3

for f in "$work"/shots/*.bmp; do
  convert "$f" "$top/manual/images/$(basename "${f%.bmp}").png"
  echo "manual/images/$(basename "${f%.bmp}").png"
done
