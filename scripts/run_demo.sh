#!/usr/bin/env bash
# Runs veltra-setup against a demo package served from this machine.
#
#   scripts/run_demo.sh            build, serve, run (under Xvfb when there is no display)
#   scripts/run_demo.sh --fresh    forget the pieces downloaded by earlier runs first
#
# Everything it makes lives in build-demo/ of the repository: the build, the
# demo package and promo page, the web server's config, logs and pid, and the
# screenshots. The downloaded pieces land where the program keeps them,
# $TMPDIR/Kelpa/ (or /tmp/Kelpa/), so a second run finds them and goes
# straight to the start button.
set -euo pipefail

readonly PORT=18480
readonly RATE=2m              # per transfer; the 22 MiB then take about eleven seconds
readonly WINDOW_TITLE="Veltra Kurulum"
# Centre of the start button's hit area, in window pixels.
readonly START_X=314
readonly START_Y=532

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
readonly ROOT
readonly DEMO="$ROOT/build-demo"
readonly SITE="$DEMO/demo-site"
readonly PACKAGE="$SITE/vltsetup_palamut"
readonly SERVER="$DEMO/nginx"
readonly SHOTS="$DEMO/screenshots"
readonly PROGRAM="$DEMO/app/veltra-setup"
readonly MARKER="$DEMO/installer-started.txt"
readonly BASE_URL="http://127.0.0.1:$PORT/vltsetup_palamut/"
# The program's download folder: $TMPDIR when it names a folder, else /tmp.
if [ -n "${TMPDIR:-}" ] && [ -d "$TMPDIR" ]; then PIECES_DIR="${TMPDIR%/}/Kelpa"; else PIECES_DIR=/tmp/Kelpa; fi
readonly PIECES_DIR

fresh=0
for argument in "$@"; do
  case "$argument" in
    --fresh) fresh=1 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "run_demo: unknown argument '$argument' (try --help)" >&2; exit 2 ;;
  esac
done

say() { printf '\n== %s\n' "$*"; }
die() { printf 'run_demo: %s\n' "$*" >&2; exit 1; }

# --- packages -----------------------------------------------------------------

readonly PACKAGES=(
  nginx-light xvfb xauth imagemagick xdotool fonts-dejavu-core
  cmake g++ libcurl4-openssl-dev libboost-thread-dev libboost-filesystem-dev
  zlib1g-dev libgtest-dev qt6-base-dev qt6-webengine-dev
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_missing() {
  local missing=() package
  for package in "${PACKAGES[@]}"; do
    installed "$package" || missing+=("$package")
  done
  command -v python3 >/dev/null 2>&1 || missing+=(python3)
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing: ${missing[*]}"
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || die "missing packages (${missing[*]}); run as root or install sudo"
    apt=(sudo DEBIAN_FRONTEND=noninteractive apt-get)
  fi
  "${apt[@]}" update
  "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
}

# --- build --------------------------------------------------------------------

build_program() {
  say "building veltra-setup in build-demo/"
  mkdir -p "$DEMO"
  cmake -S "$ROOT" -B "$DEMO" \
    -DMANIFEST_URL="${BASE_URL}vlt_package.txt" \
    -DPROMO_URL="http://127.0.0.1:$PORT/DownloaderPromo.aspx" \
    -DVELTRA_BUILD_TESTS=OFF >"$DEMO/configure.log" 2>&1 \
    || { tail -n 30 "$DEMO/configure.log" >&2; die "configuring failed (log: $DEMO/configure.log)"; }
  cmake --build "$DEMO" --target veltra-setup -j2 \
    || die "building the target veltra-setup failed"
  [ -x "$PROGRAM" ] || die "the build produced no $PROGRAM"
}

# --- demo package -------------------------------------------------------------

write_installer() {
  cat >"$1" <<'INSTALLER'
#!/bin/sh
# Stands in for the game's installer: records that it was started and, with a
# display, says so on screen.
marker="${VELTRA_DEMO_MARKER:-${TMPDIR:-/tmp}/veltra-installer-started.txt}"
printf 'VeltraSetup.exe started at %s\nas %s\nin %s\n' "$(date '+%F %T')" "$0" "$(pwd)" >"$marker"
if [ -n "${DISPLAY:-}" ] && command -v xmessage >/dev/null 2>&1; then
  xmessage -center -timeout 6 "Veltra kurulumu basladi (demo kurulum programi)." >/dev/null 2>&1 &
fi
exit 0
INSTALLER
}

# The pieces are made once and kept, so their checksums stay those of the
# pieces already downloaded by earlier runs.
make_package() {
  mkdir -p "$PACKAGE"
  local mib=7 name
  for name in Veltra.part1 Veltra.part2 Veltra.part3 Veltra.part4; do
    [ -s "$PACKAGE/$name" ] || head -c "$((mib * 1024 * 1024))" /dev/urandom >"$PACKAGE/$name"
    mib=$((mib - 1))
  done
  write_installer "$PACKAGE/VeltraSetup.exe"
  write_manifest Veltra.part1 Veltra.part2 VeltraSetup.exe Veltra.part3 Veltra.part4
}

crc32_of() {
  python3 -c 'import sys, zlib
crc = 0
with open(sys.argv[1], "rb") as f:
    for block in iter(lambda: f.read(1 << 20), b""):
        crc = zlib.crc32(block, crc)
print(crc & 0xFFFFFFFF)' "$1"
}

write_manifest() {
  {
    printf '%s\r\n%d\r\n' "$BASE_URL" "$#"
    local name
    for name in "$@"; do printf '%s;%s\r\n' "$name" "$(crc32_of "$PACKAGE/$name")"; done
  } >"$PACKAGE/vlt_package.txt"
}

piece_names() { tail -n +3 "$PACKAGE/vlt_package.txt" | cut -d';' -f1; }

# Pieces already in the download folder with the manifest's checksum.
count_present_pieces() {
  local present=0 line name crc
  while IFS= read -r line; do
    line="${line%$'\r'}"
    name="${line%%;*}"; crc="${line#*;}"
    [ -f "$PIECES_DIR/$name" ] && [ "$(crc32_of "$PIECES_DIR/$name")" = "$crc" ] && present=$((present + 1))
  done < <(tail -n +3 "$PACKAGE/vlt_package.txt")
  echo "$present"
}

write_promo_page() {
  cat >"$SITE/DownloaderPromo.aspx" <<'PROMO'
<!DOCTYPE html>
<html lang="tr">
<head>
<meta charset="utf-8">
<title>Veltra</title>
<style>
  html, body { margin: 0; height: 100%; overflow: hidden; background: #07070a; }
  body { font-family: "DejaVu Serif", Georgia, serif; color: #e9dcc0; }
  .stage { position: relative; height: 100%;
    background:
      radial-gradient(ellipse at 50% 110%, rgba(255,120,40,.45), transparent 55%),
      radial-gradient(ellipse at 80% 10%, rgba(60,140,220,.35), transparent 50%),
      linear-gradient(180deg, #14182a 0%, #0b0c14 55%, #1a0c08 100%); }
  .moon { position: absolute; right: 46px; top: 28px; width: 70px; height: 70px; border-radius: 50%;
    background: radial-gradient(circle at 35% 35%, #fff7e0, #c9b88a 60%, #6d6248);
    box-shadow: 0 0 40px rgba(255,240,200,.5); }
  .ridge { position: absolute; left: 0; right: 0; bottom: 0; height: 150px;
    background: linear-gradient(180deg, #1b1410, #050404);
    clip-path: polygon(0 70%, 12% 40%, 22% 58%, 35% 18%, 47% 52%, 58% 30%, 70% 62%, 82% 26%, 92% 48%, 100% 35%, 100% 100%, 0 100%); }
  .castle { position: absolute; left: 60%; bottom: 96px; width: 60px; height: 70px; background: #050404;
    clip-path: polygon(0 100%, 0 30%, 15% 30%, 15% 0, 30% 0, 30% 30%, 45% 30%, 50% 8%, 55% 30%, 70% 30%, 70% 0, 85% 0, 85% 30%, 100% 30%, 100% 100%); }
  .content { position: absolute; left: 34px; top: 36px; width: 300px; }
  .kicker { font: bold 11px "DejaVu Sans", sans-serif; letter-spacing: 3px; color: #7fc4e8; text-transform: uppercase; }
  h1 { margin: 6px 0 4px; font-size: 46px; letter-spacing: 2px;
    background: linear-gradient(180deg, #fff3c4, #d9a648 55%, #7a4e17); -webkit-background-clip: text; color: transparent;
    filter: drop-shadow(0 2px 2px rgba(0,0,0,.8)); }
  .tagline { font-size: 15px; font-style: italic; color: #d8c7a2; margin-bottom: 16px; }
  ul { margin: 0 0 18px; padding: 0; list-style: none; font: 13px/1.7 "DejaVu Sans", sans-serif; }
  li::before { content: "\25C6"; color: #d9a648; margin-right: 8px; font-size: 10px; }
  .badge { display: inline-block; padding: 7px 16px; border: 1px solid #d9a648; border-radius: 3px;
    font: bold 12px "DejaVu Sans", sans-serif; letter-spacing: 1px; color: #ffe9b0;
    background: linear-gradient(180deg, rgba(150,30,20,.9), rgba(70,10,8,.9)); box-shadow: 0 0 14px rgba(255,90,40,.35); }
  .footer { position: absolute; left: 0; right: 0; bottom: 10px; text-align: center;
    font: 11px "DejaVu Sans", sans-serif; color: #8a7a5e; letter-spacing: 1px; }
</style>
</head>
<body>
<div class="stage">
  <div class="moon"></div>
  <div class="castle"></div>
  <div class="ridge"></div>
  <div class="content">
    <div class="kicker">Yeni sezon &middot; Kuzey Diyarları</div>
    <h1>VELTRA</h1>
    <div class="tagline">Kılıcını kuşan, efsaneni yaz.</div>
    <ul>
      <li>Yepyeni Buzul Kalesi zindanı</li>
      <li>Lonca savaşları her cumartesi</li>
      <li>Seviye 90'a kadar yeni beceriler</li>
    </ul>
    <span class="badge">İLK GİRİŞTE HEDİYE ZIRH SETİ</span>
  </div>
  <div class="footer">Kurulum tamamlanınca BAŞLA düğmesine bas ve maceraya katıl.</div>
</div>
</body>
</html>
PROMO
}

# --- web server ---------------------------------------------------------------

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

write_server_config() {
  mkdir -p "$SERVER/temp"
  local user_line=""
  # As root the workers would otherwise run as nobody, who may not read the repository.
  [ "$(id -u)" -eq 0 ] && user_line="user root;"
  cat >"$SERVER/nginx.conf" <<CONF
$user_line
worker_processes 1;
pid $SERVER/nginx.pid;
error_log $SERVER/error.log warn;
events { worker_connections 64; }
http {
  access_log $SERVER/access.log;
  client_body_temp_path $SERVER/temp/body;
  proxy_temp_path $SERVER/temp/proxy;
  fastcgi_temp_path $SERVER/temp/fastcgi;
  uwsgi_temp_path $SERVER/temp/uwsgi;
  scgi_temp_path $SERVER/temp/scgi;
  types {
    text/html html aspx;
    text/plain txt;
  }
  default_type application/octet-stream;
  charset utf-8;
  sendfile off;
  server {
    listen 127.0.0.1:$PORT;
    root $SITE;
    location /vltsetup_palamut/ { limit_rate $RATE; }
    location = /favicon.ico { access_log off; return 204; }
  }
}
CONF
}

start_server() {
  # A server left behind by an interrupted earlier run of this script.
  stop_server
  port_taken "$PORT" && die "port $PORT on 127.0.0.1 is already in use; stop whatever listens there"
  write_server_config
  : >"$SERVER/access.log"
  nginx -p "$SERVER" -c "$SERVER/nginx.conf" -e "$SERVER/error.log" \
    || die "nginx did not start (see $SERVER/error.log)"
  local attempt
  for attempt in $(seq 50); do
    port_taken "$PORT" && return 0
    [ "$attempt" -lt 50 ] && sleep 0.1
  done
  die "nginx is not listening on $PORT (see $SERVER/error.log)"
}

stop_server() {
  [ -s "$SERVER/nginx.pid" ] || return 0
  local pid
  pid="$(cat "$SERVER/nginx.pid")"
  kill "$pid" 2>/dev/null || true
  local attempt
  for attempt in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    [ "$attempt" -lt 30 ] && sleep 0.1
  done
  rm -f "$SERVER/nginx.pid"
}

# --- display, window, screenshots ---------------------------------------------

xvfb_pid=""
program_pid=""

cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  stop_server
}

start_xvfb() {
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$DEMO/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  local attempt
  for attempt in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  die "Xvfb did not start on :$n (see $DEMO/xvfb.log)"
}

# True once "$@" holds; false after $1 seconds.
poll_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# As poll_until, but also gives up as soon as the program has ended.
wait_for() {
  local seconds=$1; shift
  poll_until "$seconds" holds_or_program_ended "$@" && "$@"
}
holds_or_program_ended() { "$@" || program_ended; }

program_running() { kill -0 "$program_pid" 2>/dev/null; }
program_ended() { ! program_running; }

window_id() { xdotool search --name "$WINDOW_TITLE" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_id)" ]; }

shot() {
  import -window root "$SHOTS/$1.png"
  echo "screenshot: $SHOTS/$1.png"
}

# Pieces in the download folder that have reached their full size.
count_full_pieces() {
  local full=0 name
  while IFS= read -r name; do
    [ -f "$PIECES_DIR/$name" ] &&
      [ "$(stat -c %s "$PIECES_DIR/$name")" = "$(stat -c %s "$PACKAGE/$name")" ] && full=$((full + 1))
  done < <(piece_names)
  echo "$full"
}

all_pieces_downloaded() { [ "$(count_full_pieces)" -eq "$piece_count" ]; }
# Far enough in that the speed and time left are measured.
download_under_way() { [ "$(count_full_pieces)" -ge 2 ]; }

marker_written() { [ -s "$MARKER" ]; }

click_start() {
  local id X Y
  id="$(window_id)"
  eval "$(xdotool getwindowgeometry --shell "$id")"
  # A move onto the button first, so the program sees the hover before the press.
  xdotool mousemove $((X + START_X - 20)) $((Y + START_Y))
  sleep 0.3
  xdotool mousemove $((X + START_X)) $((Y + START_Y))
  sleep 0.5
  shot finished-hover
  xdotool click 1
}

# Waits for the program to end and sets program_status; gives up after $1 seconds.
wait_program_end() {
  poll_until "$1" program_ended || return 1
  program_status=0
  wait "$program_pid" || program_status=$?
  program_pid=""
}

run_headless() {
  start_xvfb
  echo "display: $DISPLAY (Xvfb, 1024x768)"
  "$PROGRAM" >"$DEMO/program.log" 2>&1 &
  program_pid=$!
  wait_for 90 window_shown || { shot failure 2>/dev/null || true; die "no window named '$WINDOW_TITLE' appeared"; }
  if [ "$present_before" -lt "$piece_count" ]; then
    wait_for 120 download_under_way || true
    if ! all_pieces_downloaded; then shot downloading; fi
  fi
  wait_for 180 all_pieces_downloaded || { shot failure; die "the pieces did not all arrive in $PIECES_DIR"; }
  # The last piece's bytes are on disk a moment before the program reports the end.
  sleep 3
  shot finished
  click_start
  wait_program_end 30 || { shot failure; die "the program did not end after the start button"; }
  poll_until 10 marker_written || die "the installer was not started (no $MARKER)"
  sleep 1
  shot installer
  [ "$program_status" -eq 0 ] || die "the program ended with exit code $program_status"
  echo "program exit code: 0; installer marker: $MARKER"
  echo "screenshots are in $SHOTS/"
}

run_on_display() {
  echo "display: $DISPLAY; press BAŞLA when the download has finished"
  program_status=0
  "$PROGRAM" || program_status=$?
  echo "program exit code: $program_status"
  if marker_written; then echo "installer started: $MARKER"; else echo "the installer was not started"; fi
}

# --- main ---------------------------------------------------------------------

main() {
  install_missing
  mkdir -p "$DEMO" "$SHOTS"
  build_program
  make_package
  write_promo_page
  if [ "$fresh" -eq 1 ]; then
    local name
    while IFS= read -r name; do rm -f "$PIECES_DIR/$name"; done < <(piece_names)
  fi
  piece_count="$(piece_names | wc -l)"
  present_before="$(count_present_pieces)"
  say "demo package: $piece_count pieces in $PACKAGE, $present_before already in $PIECES_DIR"
  rm -f "$MARKER" "$SHOTS"/*.png
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  start_server
  echo "serving $BASE_URL and the promo page on 127.0.0.1:$PORT (rate $RATE per transfer)"
  export VELTRA_DEMO_MARKER="$MARKER"
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$DEMO/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  fi
  # Root cannot run the browser engine's sandbox; a virtual display has no GPU.
  [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
  if [ -n "${DISPLAY:-}" ]; then
    run_on_display
  else
    export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
    run_headless
  fi
}

main
