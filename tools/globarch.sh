#!/usr/bin/env bash
# Set-up, build and run of Globarch on a Debian machine.
#
#   tools/globarch.sh run    install what is missing, build (Release), run the game
#   tools/globarch.sh test   install what is missing, build with AddressSanitizer
#                            and UBSan, run every test
set -euo pipefail

mode="${1:-}"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${GLOBARCH_JOBS:-$(nproc 2>/dev/null || echo 2)}"

packages=(cmake ninja-build g++ pkg-config libgtest-dev zlib1g-dev libpng-dev libjpeg-dev
  libfreetype-dev libsdl2-dev libopenal-dev libsndfile1-dev libgl-dev libgl1-mesa-dri
  xvfb xauth fonts-dejavu-core libcairo2-dev)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

configure_and_build() {
  local dir="$1"; shift
  # A compiler cache, where the machine has one, makes rebuilds of the same
  # sources cheap; the build is the same without it.
  local launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$top" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

case "$mode" in
  run)
    install_missing
    configure_and_build "$top/build/release" -DCMAKE_BUILD_TYPE=Release -DGLOBARCH_TESTS=OFF
    GLOBARCH_HOME="${GLOBARCH_HOME:-$top}" exec "$top/build/release/globarch"
    ;;
  test)
    install_missing
    configure_and_build "$top/build/asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1" \
      -DGLOBARCH_SANITIZE=ON -DGLOBARCH_BENCH=ON
    work="$(mktemp -d)"
    xvfb_pid=""
    cleanup() {
      [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
      rm -rf "$work"
    }
    trap cleanup EXIT
    # Window tests draw into a virtual X server with Mesa's software renderer.
    # The server picks a free display and writes its number once it accepts
    # connections.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -s "$work/display" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
      sleep 0.1
    done
    [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    display=":$(head -n 1 "$work/display")"
    export DISPLAY="$display" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
    export GLOBARCH_HOME="$top" GLOBARCH_USER_DIR="$work/user" XDG_CONFIG_HOME="$work/config"
    # The leak check scans the static thread-local storage of every thread
    # but not the blocks the loader hands out for thread-local variables of
    # libraries opened at run time (Mesa's): the sanitizer's record of those
    # blocks is at times garbage after the GL driver has come and gone, and
    # scanning it crashed the leak check (depending on how many threads the
    # machine gives the software renderer).
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Leaks inside third-party libraries only (see the file).
    export LSAN_OPTIONS="suppressions=$top/tools/lsan_suppressions.txt:print_suppressions=0"
    cd "$top/build/asan"
    ctest -j "$jobs" --output-on-failure --timeout 300
    ;;
  *)
    echo "usage: tools/globarch.sh run|test" >&2
    exit 2
    ;;
esac
