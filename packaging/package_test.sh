#!/usr/bin/env bash
# Makes the Debian package of a build, checks what it declares and holds,
# unpacks it into a scratch folder and runs the unpacked program under Xvfb
# against nginx on 127.0.0.1 until it has downloaded a small package and
# started its installer from the start button. Nothing is installed into the
# system.
#
#   package_test.sh CPACK BUILD_DIR VERSION MANIFEST_URL PROMO_URL MAKE_PACKAGE
#
# The program has both addresses built in, so they must point at 127.0.0.1;
# with other addresses the test is skipped (exit code 77).
set -euo pipefail

readonly CPACK="$1" BUILD="$2" VERSION="$3" MANIFEST_URL="$4" PROMO_URL="$5" MAKE_PACKAGE="$6"
readonly DEMO="$(cd "$(dirname "${BASH_SOURCE[0]}")/../scripts/demo" && pwd)"
readonly WINDOW_TITLE="Veltra Kurulum"
# Window pixels: the centre of the start button's hit area and a point well
# inside the promo page's place.
readonly START_X=314 START_Y=532
readonly PROMO_X=311 PROMO_Y=306
# The promo page is one flat colour, so a blank or missing page shows.
readonly PROMO_COLOUR=1F8A4C

fail() { printf 'package test: %s\n' "$*" >&2; exit 1; }

loopback='^http://127\.0\.0\.1:([0-9]+)/(.+)$'
for url in "$MANIFEST_URL" "$PROMO_URL"; do
  [[ "$url" =~ $loopback ]] || {
    echo "package test skipped: $url is not on 127.0.0.1; scripts/test.sh configures both addresses so"
    exit 77
  }
done
[[ "$MANIFEST_URL" =~ $loopback ]]
readonly MANIFEST_PORT="${BASH_REMATCH[1]}" MANIFEST_PATH="${BASH_REMATCH[2]}"
[[ "$PROMO_URL" =~ $loopback ]]
readonly PROMO_PORT="${BASH_REMATCH[1]}"
readonly PROMO_PATH="${BASH_REMATCH[2]}"

for tool in dpkg-deb lintian desktop-file-validate appstreamcli nginx Xvfb xdotool import; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/build_packages.txt lists its package)"
done

scratch="$(mktemp -d "${TMPDIR:-/tmp}/veltra-package-test.XXXXXX")"
readonly SCRATCH="$scratch"
xvfb_pid=""
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  local pid_file
  for pid_file in "$SCRATCH"/nginx-*/nginx.pid; do
    if [ -s "$pid_file" ]; then kill "$(cat "$pid_file")" 2>/dev/null || true; fi
  done
  wait 2>/dev/null || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

# --- the package ----------------------------------------------------------------

"$CPACK" -G DEB --config "$BUILD/CPackConfig.cmake" -B "$SCRATCH/out" >"$SCRATCH/cpack.log" 2>&1 ||
  { cat "$SCRATCH/cpack.log" >&2; fail "cpack failed"; }
arch="$(dpkg --print-architecture)"
deb="$SCRATCH/out/veltra-setup_${VERSION}_${arch}.deb"
[ -f "$deb" ] || fail "cpack wrote no $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
  [ "$(field "$1")" = "$2" ] || fail "control field $1 is '$(field "$1")', not '$2'"
}
expect_field Package veltra-setup
expect_field Version "$VERSION"
expect_field Architecture "$arch"
expect_field Section net
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
description="$(field Description)"
[ "$(printf '%s\n' "$description" | head -n 1 | wc -w)" -ge 3 ] || fail "no short description"
[ "$(printf '%s\n' "$description" | tail -n +2 | wc -w)" -ge 20 ] || fail "no long description"

# Depends: what dpkg-shlibdeps found from the links, and what was added by hand.
depends="$(field Depends)"
mapfile -t depended < <(printf '%s\n' "$depends" | tr ',' '\n' | sed 's/([^)]*)//; s/[[:space:]]//g')
required=(libc6 libstdc++6 libcurl4 libboost-thread1.74.0 libssl3
          libqt6core6 libqt6widgets6 libqt6webenginewidgets6 libqt6webenginecore6-bin
          qt6-qpa-plugins fonts-dejavu-core)
# Matched in the shell: a pipe into grep -q could lose its writer to SIGPIPE
# at the first match, which pipefail would take for a missing package.
names_package() {
  local name
  for name in "${depended[@]}"; do [ "$name" = "$1" ] && return 0; done
  return 1
}
for package in "${required[@]}"; do
  names_package "$package" || fail "Depends lacks $package: $depends"
done
duplicates="$(printf '%s\n' "${depended[@]}" | sort | uniq -d)"
[ -z "$duplicates" ] || fail "Depends names $duplicates more than once: $depends"

# The files, their modes and owners; folders only as the paths to them.
expected_files=(
  "-rwxr-xr-x ./usr/bin/veltra-setup"
  "-rw-r--r-- ./usr/share/applications/veltra-setup.desktop"
  "-rw-r--r-- ./usr/share/doc/veltra-setup/changelog.gz"
  "-rw-r--r-- ./usr/share/doc/veltra-setup/copyright"
  "-rw-r--r-- ./usr/share/man/man6/veltra-setup.6.gz"
  "-rw-r--r-- ./usr/share/metainfo/example.veltra.setup.metainfo.xml"
  "-rw-r--r-- ./usr/share/lintian/overrides/veltra-setup"
  "-rw-r--r-- ./usr/lib/veltra-setup/plugins/libveltra-webview.so"
)
icon_sizes=(16 22 24 32 48 64 128 256)
for size in "${icon_sizes[@]}"; do
  expected_files+=("-rw-r--r-- ./usr/share/icons/hicolor/${size}x${size}/apps/veltra-setup.png")
done
dpkg-deb -c "$deb" >"$SCRATCH/contents"
actual="$(awk '$1 !~ /^d/ { print $1, $6 }' "$SCRATCH/contents" | sort)"
wanted="$(printf '%s\n' "${expected_files[@]}" | sort)"
[ "$actual" = "$wanted" ] ||
  fail "the package holds other files than expected:$(diff <(echo "$wanted") <(echo "$actual") | sed 's/^/\n  /')"
awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x") { print }' "$SCRATCH/contents" >"$SCRATCH/odd"
[ ! -s "$SCRATCH/odd" ] || fail "entries not owned by root or folders not 0755: $(cat "$SCRATCH/odd")"

# Errors and warnings alike: the README names every one left, and there is none.
lintian --fail-on error,warning "$deb" >"$SCRATCH/lintian.log" 2>&1 ||
  { cat "$SCRATCH/lintian.log" >&2; fail "lintian reports errors or warnings"; }

root="$SCRATCH/root"
dpkg-deb -x "$deb" "$root"
# Built with the hardening flags, as the lintian override says: read-only
# relocations bound at start, and the stack protector.
program="$root/usr/bin/veltra-setup"
readelf -dlW --dyn-syms "$program" >"$SCRATCH/elf"
grep -q 'BIND_NOW' "$SCRATCH/elf" || fail "the program is not linked with -z now"
grep -q 'GNU_RELRO' "$SCRATCH/elf" || fail "the program is not linked with -z relro"
grep -q '__stack_chk_fail' "$SCRATCH/elf" || fail "the program is not built with the stack protector"
desktop="$root/usr/share/applications/veltra-setup.desktop"
desktop-file-validate "$desktop" >"$SCRATCH/desktop.log" 2>&1 ||
  { cat "$SCRATCH/desktop.log" >&2; fail "desktop-file-validate rejects the desktop entry"; }
for line in "Name=Veltra Kurulum" "Exec=veltra-setup" "Icon=veltra-setup" "Terminal=false" "Categories=Game;"; do
  grep -qxF "$line" "$desktop" || fail "the desktop entry lacks '$line'"
done
appstreamcli validate --no-net "$root/usr/share/metainfo/example.veltra.setup.metainfo.xml" \
  >"$SCRATCH/metainfo.log" 2>&1 || { cat "$SCRATCH/metainfo.log" >&2; fail "appstreamcli rejects the metainfo"; }
# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in "${icon_sizes[@]}"; do
  read -r width height < <(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/veltra-setup.png" |
    awk '{ print ($1*16777216 + $2*65536 + $3*256 + $4), ($5*16777216 + $6*65536 + $7*256 + $8) }')
  [ "$width x $height" = "$size x $size" ] || fail "the ${size}x${size} icon is $width x $height"
done

# --- a served package -------------------------------------------------------------

site="$SCRATCH/site"
package_dir="$site/$(dirname "$MANIFEST_PATH")"
mkdir -p "$package_dir" "$(dirname "$site/$PROMO_PATH")"
marker="$SCRATCH/installer-started"
install -m 755 "$DEMO/installer.sh" "$package_dir/VeltraSetup.exe"
"$MAKE_PACKAGE" "$package_dir" "http://127.0.0.1:$MANIFEST_PORT/$(dirname "$MANIFEST_PATH")/" \
  Veltra.part1=1500000 Veltra.part2=700000 VeltraSetup.exe Veltra.part3=300000 >"$site/$MANIFEST_PATH"
mapfile -t pieces < <(tail -n +3 "$site/$MANIFEST_PATH" | cut -d';' -f1)
printf '<!DOCTYPE html><html><body style="margin:0;height:100vh;background:#%s"></body></html>\n' \
  "$PROMO_COLOUR" >"$site/$PROMO_PATH"

# The demo's server, one for each of the two ports.
port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
ports=("$MANIFEST_PORT")
[ "$PROMO_PORT" = "$MANIFEST_PORT" ] || ports+=("$PROMO_PORT")
for port in "${ports[@]}"; do
  port_taken "$port" && fail "port $port on 127.0.0.1 is in use"
  prefix="$SCRATCH/nginx-$port"
  "$DEMO/write_nginx_conf.sh" "$prefix" "$port" "$site"
  nginx -p "$prefix" -c "$prefix/nginx.conf" -e "$prefix/error.log" ||
    fail "nginx did not start: $(cat "$prefix/error.log")"
done

# --- the unpacked program under Xvfb ------------------------------------------------

# True once "$@" holds; false after $1 seconds.
poll_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

exec 4>"$SCRATCH/display"
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp -noreset >"$SCRATCH/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 4>&-
display_known() { [ -s "$SCRATCH/display" ]; }
poll_until 20 display_known || fail "Xvfb did not start: $(cat "$SCRATCH/xvfb.log")"
export DISPLAY=":$(head -n 1 "$SCRATCH/display")"

mkdir -p "$SCRATCH/tmp" "$SCRATCH/home" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"
downloads="$SCRATCH/tmp/Kelpa"
# The test command runs the other tests offscreen; this one needs the X11 plugin
# the package depends on. A virtual display has no GPU.
env QT_QPA_PLATFORM=xcb TMPDIR="$SCRATCH/tmp" HOME="$SCRATCH/home" XDG_RUNTIME_DIR="$SCRATCH/runtime" \
  QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu VELTRA_DEMO_MARKER="$marker" \
  "$root/usr/bin/veltra-setup" >"$SCRATCH/program.log" 2>&1 &
program_pid=$!

program_running() { kill -0 "$program_pid" 2>/dev/null; }
window_id() { xdotool search --name "$WINDOW_TITLE" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_id)" ] || ! program_running; }
poll_until 60 window_shown && program_running ||
  fail "no window named '$WINDOW_TITLE' appeared: $(cat "$SCRATCH/program.log")"
eval "$(xdotool getwindowgeometry --shell "$(window_id)")"

pixel_at() {  # window x, y -> RRGGBB
  import -window root -crop "1x1+$((X + $1))+$((Y + $2))" -depth 8 txt:- 2>/dev/null |
    grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1 | tr -d '#'
}
promo_drawn() { [ "$(pixel_at "$PROMO_X" "$PROMO_Y")" = "$PROMO_COLOUR" ] || ! program_running; }
poll_until 60 promo_drawn && program_running ||
  fail "the promo page was not drawn (pixel $(pixel_at "$PROMO_X" "$PROMO_Y")): $(cat "$SCRATCH/program.log")"

pieces_arrived() {
  local name
  for name in "${pieces[@]}"; do cmp -s "$package_dir/$name" "$downloads/$name" || return 1; done
}
poll_until 60 pieces_arrived || fail "the pieces did not all arrive in the download folder"

# The start button shows a moment after the last bytes are on disk, and a
# press before then does nothing; the move first gives the button its hover.
press_start() {
  program_running || return 0
  xdotool mousemove $((X + START_X - 20)) $((Y + START_Y)) sleep 0.2 \
          mousemove $((X + START_X)) $((Y + START_Y)) sleep 0.2 click 1 2>/dev/null
  sleep 0.6
  ! program_running
}
poll_until 30 press_start || fail "the program did not end after the start button"
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program ended with exit code $status: $(cat "$SCRATCH/program.log")"
poll_until 10 test -s "$marker" || fail "the downloaded installer was not started"

echo "package test: $(basename "$deb") ($(stat -c %s "$deb") bytes) passed"
echo "Depends: $depends"
