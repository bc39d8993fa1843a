#!/usr/bin/env bash
# Runs veltra-setup against a demo package served from this machine.
#
#   scripts/run_demo.sh            build, serve, run (under Xvfb when there is no display)
#   scripts/run_demo.sh --fresh    forget the pieces downloaded by earlier runs first
#   scripts/run_demo.sh --starts N start it N times on a loaded Xvfb (two busy
#                                  loops beside it), closing each with its close
#                                  button mid-download; prints each start's exit
#                                  status and a tally
#
# Everything it makes lives in build-demo/: the build, the served site (the
# package written by tools/make_package, the promo page scripts/demo/promo.html,
# the stand-in installer scripts/demo/installer.sh), the web server made from
# scripts/demo/nginx.conf.in, and the screenshots. The program keeps its
# pieces in $TMPDIR/Kelpa (else the user's cache folder); the demo runs it with
# TMPDIR=build-demo/tmp, so they land in build-demo/tmp/Kelpa and never touch
# your own download folder. A second run finds them and goes straight to the
# start button.
set -euo pipefail

readonly PORT=18480
readonly RATE=2m # per transfer; the 22 MiB then take about eleven seconds
readonly WINDOW_TITLE="Veltra Kurulum"
readonly START_X=314 START_Y=532 # the start button, in window pixels
readonly CLOSE_X=531 CLOSE_Y=96   # the close button

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
readonly ROOT DEMO="$ROOT/build-demo"
readonly SITE="$DEMO/demo-site" SERVER="$DEMO/nginx" SHOTS="$DEMO/screenshots"
readonly PACKAGE="$SITE/vltsetup_palamut"
readonly BASE_URL="http://127.0.0.1:$PORT/vltsetup_palamut/"
readonly PIECES_DIR="$DEMO/tmp/Kelpa"
readonly MARKER="$DEMO/installer-started.txt"
readonly PROGRAM="$DEMO/app/veltra-setup"

fresh=0 starts=0
while [ $# -gt 0 ]; do
  argument="$1"
  shift
  case "$argument" in
    --fresh) fresh=1 ;;
    --starts)
      [[ "${1:-}" =~ ^[1-9][0-9]*$ ]] || { echo "run_demo: --starts needs a count" >&2; exit 2; }
      starts="$1" fresh=1
      shift
      ;;
    -h | --help) sed -n '2,18p' "$0"; exit 0 ;;
    *) echo "run_demo: unknown argument '$argument' (try --help)" >&2; exit 2 ;;
  esac
done

say() { printf '\n== %s\n' "$*"; }
die() { printf 'run_demo: %s\n' "$*" >&2; exit 1; }

build() {
  "$ROOT/scripts/install_packages.sh" --list "$ROOT/scripts/build_packages.txt" \
    --list "$ROOT/scripts/demo/packages.txt"
  say "building veltra-setup in build-demo/"
  cmake -S "$ROOT" -B "$DEMO" -DMANIFEST_URL="${BASE_URL}vlt_package.txt" \
    -DPROMO_URL="http://127.0.0.1:$PORT/DownloaderPromo.aspx" \
    -DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_BENCH=OFF >"$DEMO/configure.log" 2>&1 ||
    { tail -n 30 "$DEMO/configure.log" >&2; die "configuring failed (see $DEMO/configure.log)"; }
  cmake --build "$DEMO" --target veltra-setup make_package -j2 || die "the build failed"
}

# The package's bytes come from a fixed seed: the same pieces every run, so
# those downloaded by an earlier run stay good.
make_site() {
  mkdir -p "$PACKAGE"
  cp "$ROOT/scripts/demo/promo.html" "$SITE/DownloaderPromo.aspx"
  install -m 755 "$ROOT/scripts/demo/installer.sh" "$PACKAGE/VeltraSetup.exe"
  "$DEMO/tools/make_package/make_package" "$PACKAGE" "$BASE_URL" Veltra.part1=7M Veltra.part2=6M \
    VeltraSetup.exe Veltra.part3=5M Veltra.part4=4M >"$PACKAGE/vlt_package.txt"
  mapfile -t pieces < <(tail -n +3 "$PACKAGE/vlt_package.txt" | cut -d';' -f1)
}

# Pieces in the download folder that are exact copies of the served ones.
count_copies() {
  local copies=0 name
  for name in "${pieces[@]}"; do
    cmp -s "$PIECES_DIR/$name" "$PACKAGE/$name" && copies=$((copies + 1))
  done
  echo "$copies"
}

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; }

start_server() {
  stop_server # one left behind by an interrupted run
  port_taken && die "port $PORT on 127.0.0.1 is already in use; stop whatever listens there"
  "$ROOT/scripts/demo/write_nginx_conf.sh" "$SERVER" "$PORT" "$SITE" "$RATE"
  nginx -p "$SERVER" -c "$SERVER/nginx.conf" -e "$SERVER/error.log" ||
    die "nginx did not start (see $SERVER/error.log)"
  poll_until 5 port_taken || die "nginx is not listening on $PORT (see $SERVER/error.log)"
}

stop_server() {
  [ -s "$SERVER/nginx.pid" ] || return 0
  local pid
  pid="$(cat "$SERVER/nginx.pid")"
  kill "$pid" 2>/dev/null || true
  poll_until 3 eval "! kill -0 $pid 2>/dev/null" || true
  rm -f "$SERVER/nginx.pid"
}

# True once "$@" holds; false after $1 seconds, or as soon as the program ends.
poll_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    [ -z "$program_pid" ] || kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.2
  done
}

program_pid="" xvfb_pid=""
cleanup() {
  [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
  program_pid=""
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  stop_server
}

start_xvfb() {
  local n
  for n in $(seq 91 120); do [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break; done
  # -noreset: a resetting server (its last client gone) refuses newcomers.
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$DEMO/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  poll_until 5 xdotool getdisplaygeometry >/dev/null 2>&1 || die "Xvfb did not start (see $DEMO/xvfb.log)"
  echo "display: $DISPLAY (Xvfb, 1024x768)"
}

shot() { import -window root "$SHOTS/$1.png" && echo "screenshot: $SHOTS/$1.png"; }
window_id() { xdotool search --name "$WINDOW_TITLE" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_id)" ]; }
all_pieces_here() { [ "$(count_copies)" -eq "${#pieces[@]}" ]; }
two_pieces_here() { [ "$(count_copies)" -ge 2 ]; }

click_start() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(window_id)")"
  # Onto the button first, so the program sees the hover before the press.
  xdotool mousemove $((X + START_X - 20)) $((Y + START_Y))
  sleep 0.3
  xdotool mousemove $((X + START_X)) $((Y + START_Y))
  sleep 0.5
  shot finished-hover
  xdotool click 1
}

# With no display of our own: Xvfb, screenshots along the way, and a click
# on the start button once every piece is in.
run_headless() {
  start_xvfb
  "$PROGRAM" >"$DEMO/program.log" 2>&1 &
  program_pid=$!
  poll_until 90 window_shown || { shot failure; die "no window named '$WINDOW_TITLE' appeared"; }
  if [ "$present" -lt "${#pieces[@]}" ] && poll_until 120 two_pieces_here && ! all_pieces_here; then
    shot downloading
  fi
  poll_until 180 all_pieces_here || { shot failure; die "the pieces did not all arrive in $PIECES_DIR"; }
  sleep 3 # the program reports the end a moment after the last bytes are on disk
  shot finished
  click_start
  local pid=$program_pid status=0
  program_pid=""
  poll_until 30 eval "! kill -0 $pid 2>/dev/null" || die "the program did not end after the start button"
  wait "$pid" || status=$?
  poll_until 10 test -s "$MARKER" || die "the installer was not started (no $MARKER)"
  sleep 1
  shot installer
  [ "$status" -eq 0 ] || die "the program ended with exit code $status"
  echo "program exit code: 0; installer marker: $MARKER; screenshots in $SHOTS/"
}

# One start of the program, closed by its close button a second after its
# window shows; prints how it ended: "exit N", or "signal N", or "hung" when
# it was still running 30 s after the click (and was killed).
start_and_close() {
  rm -rf "$PIECES_DIR"
  "$PROGRAM" >"$DEMO/program.log" 2>&1 &
  program_pid=$!
  if poll_until 60 window_shown; then
    sleep 1
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$(window_id)" 2>/dev/null)" &&
      xdotool mousemove $((X + CLOSE_X)) $((Y + CLOSE_Y)) click 1
  fi
  local pid=$program_pid status=0
  program_pid=""
  if ! poll_until 30 eval "! kill -0 $pid 2>/dev/null"; then
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo hung
    return
  fi
  wait "$pid" || status=$?
  if [ "$status" -gt 128 ]; then echo "signal $((status - 128))"; else echo "exit $status"; fi
}

run_starts() {
  start_xvfb
  local loops=() ends=() n
  for n in 1 2; do
    bash -c 'while :; do :; done' &
    loops+=($!)
  done
  for n in $(seq "$starts"); do
    ends+=("$(start_and_close)")
    echo "start $n: ${ends[-1]} $(head -c 200 "$DEMO/program.log")"
  done
  kill "${loops[@]}"
  say "$starts starts with two busy loops beside them"
  printf '%s\n' "${ends[@]}" | sort | uniq -c
  local end
  for end in "${ends[@]}"; do [ "$end" = "exit 0" ] || return 1; done
}

run_on_display() {
  echo "display: $DISPLAY; press BAŞLA when the download has finished"
  local status=0
  "$PROGRAM" || status=$?
  echo "program exit code: $status"
  if [ -s "$MARKER" ]; then echo "installer started: $MARKER"; else echo "the installer was not started"; fi
}

main() {
  mkdir -p "$DEMO/tmp" "$SHOTS"
  build
  make_site
  [ "$fresh" -eq 0 ] || rm -rf "$PIECES_DIR"
  present="$(count_copies)"
  say "demo package: ${#pieces[@]} pieces in $PACKAGE, $present already in $PIECES_DIR"
  rm -f "$MARKER" "$SHOTS"/*.png
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  start_server
  echo "serving $BASE_URL and the promo page on 127.0.0.1:$PORT (rate $RATE per transfer)"

  export TMPDIR="$DEMO/tmp" VELTRA_DEMO_MARKER="$MARKER"
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$DEMO/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  fi
  # Root cannot run the browser engine's sandbox.
  [ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
  if [ "$starts" -gt 0 ]; then
    export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
    run_starts
  elif [ -n "${DISPLAY:-}" ]; then
    run_on_display
  else
    # A virtual display has no GPU.
    export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
    run_headless
  fi
}

main
