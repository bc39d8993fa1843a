#!/usr/bin/env bash
# Every benchmark in one command. Each case races the program's side against
# the tools a player would use instead, served by nginx on loopback; the sides
# take turns round after round (this machine's timings drift from minute to
# minute, so only figures taken side by side compare), and each case prints
# one line: best and median seconds of every side and the ratio of bests
# (peer's best / ours: above 1 we are faster).
#   - a 512 MiB piece: the worker against curl -o, and with BENCH_WINDOWS=1
#     the Windows worker (scripts/build_windows.sh) against curl.exe built
#     from the same source and options, both under wine;
#   - 2,000 pieces of 16 KiB: the worker against curl -K (one process,
#     connections reused), curl -K with a new connection per file, wget -i
#     and aria2c -j1 -i, and with BENCH_WINDOWS=1 the Windows worker against
#     curl.exe -K under wine, connections reused and a new one per file;
#     the wine cases end with their verdicts on the ratios of medians;
#   - the piece check over 1 GiB of present pieces against zlib's crc32()
#     with the same reads and against dd bs=1M (reading alone);
#   - signed-check: the same check with the tests' package key, on a signed
#     twin of that package (the same pieces and the list), against one
#     openssl dgst -sha256 over the same files and beside the check without
#     the key, with the ratio of medians (openssl/ours) on a line of its own;
#   - the worker alone on the whole program's package (vs curl -K), and
#     signed-worker: the worker with the key on the signed twin against the
#     worker without it, with the ratio of medians (signed/unsigned); then
#   - the whole program under Xvfb on a 1 GiB package of 16 pieces, from
#     launch until nginx has sent its last piece, against curl -K and aria2c
#     fetching the manifest and the same files; with the time to the manifest request,
#     to the first paint and to the start button, peak RSS and CPU seconds of
#     all the program's processes;
#   - how long a close takes to stop a transfer that streams or has stalled,
#     for the Windows worker under wine too with BENCH_WINDOWS=1.
# The program is built with its addresses on 127.0.0.1:18480/18481, the ports
# of the end-to-end tests: do not run both at once. Needs about 2 GiB of disk
# under build-bench/ (BENCH_DIR) and 1.5 GiB of memory in /dev/shm; removes its data at
# the end. ROUNDS (default 7) sets the rounds of every case; BENCH_BUILD names
# a build folder to use instead of build-bench/build; BENCH_CASES picks cases
# (see `wanted` below). BENCH_BASELINE names a Linux build folder, and
# BENCH_BASELINE_WINDOWS a Windows one, of another revision (with the
# benchmarks built) whose worker races the piece and the small pieces as one
# more side.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="${BENCH_DIR:-$root/build-bench}"
rounds="${ROUNDS:-7}"
port=18480
promo_port=18481
display_number="${BENCH_DISPLAY:-97}"

# Benchmark-only tools; the build's own packages come from the project list.
"$root/scripts/install_packages.sh" --list "$root/scripts/build_packages.txt" \
  nginx-light curl wget aria2 libx11-dev

for p in $port $promo_port; do
  if [ -n "$(ss -ltnH "sport = :$p")" ]; then
    echo "port $p is in use (end-to-end tests running?)" >&2
    exit 1
  fi
done
if pgrep -x veltra-setup >/dev/null; then
  echo "another veltra-setup is running" >&2
  exit 1
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
build="${BENCH_BUILD:-$work/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DMANIFEST_URL=http://127.0.0.1:$port/vltsetup_palamut/vlt_package.txt \
  -DPROMO_URL=http://127.0.0.1:$promo_port/DownloaderPromo.aspx >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_download bench_check make_package \
  bench_stop bench_screen_watch veltra-setup >/dev/null
bin="$build/bench"
windows="${BENCH_WINDOWS:-0}"
linux_more=()
windows_sides=()
if [ "$windows" = 1 ]; then
  "$root/scripts/build_windows.sh" --arch x86_64 -DVELTRA_BUILD_BENCH=ON \
    -DMANIFEST_URL=http://127.0.0.1:$port/vltsetup_palamut/vlt_package.txt \
    -DPROMO_URL=http://127.0.0.1:$promo_port/DownloaderPromo.aspx >/dev/null
  windows_sides=(windows_worker windows_curl_o)
  [ -z "${BENCH_BASELINE_WINDOWS:-}" ] || windows_sides+=(baseline_windows_worker)
fi
[ -z "${BENCH_BASELINE:-}" ] || linux_more=(baseline_worker)
windows_build="$root/build-windows"
# The curl program built beside the Windows libcurl, in the dependency cache.
windows_curl="$(cmake -L -N "$windows_build" 2>/dev/null |
  sed -n 's/^VELTRA_WINDOWS_DEPS:[A-Z]*=\([^;]*\).*/\1/p')/bin/curl.exe"
make_package="$build/tools/make_package/make_package"
program="$build/app/veltra-setup"

served="$work/served"
dl=/dev/shm/veltra-bench-dl
[ -d /dev/shm ] && [ -w /dev/shm ] || dl="$work/dl"
nginx_dir="$work/nginx"
promo_dir="$work/nginx-promo"
xvfb_pid=""
cleanup() {
  local dir
  for dir in "$nginx_dir" "$promo_dir"; do
    [ -f "$dir/nginx.pid" ] && kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ "$windows" != 1 ] || on_wine wineserver -k 2>/dev/null || true
  rm -rf "$dl" "$served"
}
trap cleanup EXIT

base="http://127.0.0.1:$port"
mkdir -p "$served/big" "$served/small" "$served/vltsetup_palamut" "$served/promo" "$nginx_dir"
"$make_package" "$served/big" "$base/big/" --series big 1 512M > "$served/big/vlt_package.txt"
"$make_package" "$served/small" "$base/small/" --series small 2000 16K \
  > "$served/small/vlt_package.txt"
"$make_package" "$served/vltsetup_palamut" "$base/vltsetup_palamut/" --series piece 16 64M \
  > "$served/vltsetup_palamut/vlt_package.txt"
echo '<html><body style="background:#000;color:#ccc"><h1>Veltra</h1></body></html>' \
  > "$served/promo/DownloaderPromo.aspx"
chmod -R a+rX "$work"

# The demo's nginx config, loopback only: the package server and, on the
# program's promo port, the page. Its msec timestamps tell when the program
# asked for the manifest.
for server in "$nginx_dir:$port:$served" "$promo_dir:$promo_port:$served/promo"; do
  IFS=: read -r prefix listen site <<<"$server"
  "$root/scripts/demo/write_nginx_conf.sh" "$prefix" "$listen" "$site"
  nginx -p "$prefix" -c "$prefix/nginx.conf" -e "$prefix/error.log"
done
for _ in $(seq 50); do curl -s -o /dev/null "$base/" && break; sleep 0.1; done

now() { date +%s.%N; }
fresh() { rm -rf "$1"; mkdir -p "$1"; }
elapsed() { echo "$(now) $1" | awk '{printf "%.4f\n", $1 - $2}'; }
names_of() { tail -n +3 "$served/$1/vlt_package.txt" | cut -d';' -f1; }
# The whole program's package signed with the tests' throwaway key: the same
# pieces, hard links so that one copy sits in the page cache, and the list.
package_key="$root/tests/data/package_key.hex"
signed_twin="$served/vltsetup_palamut_signed"
mkdir -p "$signed_twin"
for name in $(names_of vltsetup_palamut); do
  ln "$served/vltsetup_palamut/$name" "$signed_twin/$name"
done
# shellcheck disable=SC2046  # one argument a piece name
"$make_package" --sign "$root/tests/data/package_key.pem" "$signed_twin" \
  "$base/vltsetup_palamut_signed/" $(names_of vltsetup_palamut) > "$signed_twin/vlt_package.txt"
chmod -R a+rX "$signed_twin"
cat "$served"/*/* > /dev/null

# Seconds "$@" takes, started on an empty $dl.
timed() {
  fresh "$dl"
  local start
  start=$(now)
  "$@"
  elapsed "$start"
}

# The same lists for every peer: manifest first, then each piece.
for package in big small vltsetup_palamut; do
  {
    echo "url = \"$base/$package/vlt_package.txt\""
    echo "output = \"$dl/vlt_package.txt\""
    for name in $(names_of $package); do
      echo "url = \"$base/$package/$name\""
      echo "output = \"$dl/$name\""
    done
  } > "$work/$package.curl"
  # The same for curl.exe, through wine's Z: drive (Windows takes "/" too).
  sed 's|^output = "|output = "Z:|' "$work/$package.curl" > "$work/$package.wincurl"
  {
    echo "$base/$package/vlt_package.txt"
    for name in $(names_of $package); do echo "$base/$package/$name"; done
  } > "$work/$package.urls"
done

# Sides: each takes a package, leaves the files in $dl and prints seconds.
worker() {
  fresh "$dl"
  "$bin/bench_download" "$base/$1/vlt_package.txt" "$dl/" | cut -d' ' -f1
}
baseline_worker() {
  fresh "$dl"
  "$BENCH_BASELINE/bench/bench_download" "$base/$1/vlt_package.txt" "$dl/" | cut -d' ' -f1
}
# The Windows sides run under one wine server kept running through the race
# and write into the same folder through wine's Z: drive; each is timed from
# outside, wine's start included, as the two start the same way.
on_wine() { "$root/scripts/wine_env.sh" "$windows_build/wine" "$@"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
quiet() { "$@" >/dev/null; }
windows_worker() {
  timed quiet on_wine wine "$windows_build/bench/bench_download.exe" \
    "$base/$1/vlt_package.txt" "$(windows_path "$dl/")"
}
baseline_windows_worker() {
  timed quiet on_wine wine "$BENCH_BASELINE_WINDOWS/bench/bench_download.exe" \
    "$base/$1/vlt_package.txt" "$(windows_path "$dl/")"
}
# One curl.exe for the manifest and every piece, as one worker run.
windows_curl_o() {
  local arguments=(-s -o "$(windows_path "$dl/vlt_package.txt")" "$base/$1/vlt_package.txt")
  for name in $(names_of "$1"); do
    arguments+=(-o "$(windows_path "$dl/$name")" "$base/$1/$name")
  done
  timed on_wine wine "$windows_curl" "${arguments[@]}"
}
windows_curl_k() { timed on_wine wine "$windows_curl" -s -K "Z:$work/$1.wincurl"; }
windows_curl_k_close() {
  timed on_wine wine "$windows_curl" -s -H 'Connection: close' -K "Z:$work/$1.wincurl"
}
curl_o() {
  fresh "$dl"
  local start
  start=$(now)
  curl -s -o "$dl/vlt_package.txt" "$base/$1/vlt_package.txt"
  for name in $(names_of "$1"); do curl -s -o "$dl/$name" "$base/$1/$name"; done
  elapsed "$start"
}
curl_k() { timed curl -s -K "$work/$1.curl"; }
curl_k_close() { timed curl -s -H 'Connection: close' -K "$work/$1.curl"; }
wget_i() { timed wget -q -P "$dl" -i "$work/$1.urls"; }
aria2c_i() {
  timed aria2c -q -j1 --allow-overwrite=true --auto-file-renaming=false --file-allocation=none \
    -d "$dl" -i "$work/$1.urls"
}

# The least and the median of the numbers on stdin, one a line.
best_median() {
  sort -g | awk '{v[NR] = $1}
    END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print v[1], m}'
}
# Prints "side best median" for the times in $times_dir/side.
summary() {  # label side...
  local label=$1
  shift
  local line="$label:" ours=""
  for side in "$@"; do
    read -r best median < <(best_median < "$times_dir/$side")
    [ -z "$ours" ] && ours=$best
    line="$line $side best $best s median $median s;"
  done
  line="$line ratio of bests (peer/ours):"
  shift
  for side in "$@"; do
    line="$line $side $(awk -v o="$ours" -v p="$(sort -g "$times_dir/$side" | head -1)" \
      'BEGIN {printf "%.2f", p / o}')"
  done
  echo "$line (rounds $rounds)"
}
# "label: ratio of medians (first/second) R" for two sides of the race just run.
median_ratio() {  # label first second wanted
  local best first second
  read -r best first < <(best_median < "$times_dir/$2")
  read -r best second < <(best_median < "$times_dir/$3")
  echo "$1: ratio of medians ($2/$3) $(awk -v f="$first" -v s="$second" \
    'BEGIN {printf "%.2f", f / s}') ($4; rounds $rounds)"
}
times_dir="$work/times"
# BENCH_CASES picks cases by name (piece small check signed-check worker
# signed-worker program stop); all of them by default.
wanted() { [ -z "${BENCH_CASES:-}" ] || [[ " $BENCH_CASES " == *" $1 "* ]]; }
take_turns() {  # package side...
  local package=$1
  shift
  rm -rf "$times_dir"
  mkdir -p "$times_dir"
  for round in $(seq "$rounds"); do
    # Who goes first changes every round.
    local order=("$@")
    if [ $((round % 2)) -eq 0 ]; then mapfile -t order < <(printf '%s\n' "$@" | tac); fi
    for side in "${order[@]}"; do "$side" "$package" >> "$times_dir/$side"; done
  done
}
race() {  # label package side...
  local label=$1 package=$2
  shift 2
  take_turns "$package" "$@"
  summary "$label" "$@"
}

# One wine server for every Windows side, as a player's session has.
[ "$windows" != 1 ] || on_wine wineserver -p
# The Windows sides race in the same turns and are compared with each other.
# On loopback the kernel grows a socket's receive buffer (the
# tcp:tcp_rcvbuf_grow tracepoint) only early on and only for a reader that
# keeps up; one that lags, as under wine when it writes between receives,
# stays at about 93 KiB a receive, four wine-server requests each. That is
# why a side's rounds may fall in two groups, about twice apart.
if wanted piece; then
  take_turns big worker curl_o "${linux_more[@]}" "${windows_sides[@]}"
  summary "piece 512 MiB" worker curl_o "${linux_more[@]}"
  if [ "$windows" = 1 ]; then
    summary "piece 512 MiB under wine" "${windows_sides[@]}"
    median_ratio "piece 512 MiB under wine" windows_curl_o windows_worker "at least 1.0 wanted"
  fi
fi
if wanted small; then
  small_windows=()
  [ "$windows" != 1 ] || small_windows=(windows_worker windows_curl_k windows_curl_k_close)
  [ "$windows" != 1 ] || [ -z "${BENCH_BASELINE_WINDOWS:-}" ] ||
    small_windows+=(baseline_windows_worker)
  take_turns small worker curl_k curl_k_close wget_i aria2c_i "${linux_more[@]}" \
    "${small_windows[@]}"
  summary "package 2000 x 16 KiB" worker curl_k curl_k_close wget_i aria2c_i "${linux_more[@]}"
  if [ "$windows" = 1 ]; then
    summary "package 2000 x 16 KiB under wine" "${small_windows[@]}"
    median_ratio "2000 x 16 KiB under wine" windows_curl_k windows_worker "at least 0.5 wanted"
    median_ratio "2000 x 16 KiB under wine, a connection a file" windows_curl_k_close \
      windows_worker "at least 0.9 wanted"
  fi
fi

# The piece check reads the whole-program package, which is in page cache.
# zlib reads in the check's own block size.
crc_block=$("$bin/bench_check" --block-size)
check() {
  "$bin/bench_check" "$served/$1/" "$served/$1/vlt_package.txt" check | cut -d' ' -f1
}
zlib_crc32() {
  "$bin/bench_check" "$served/$1/" "$served/$1/vlt_package.txt" zlib "$crc_block" | cut -d' ' -f1
}
dd_1m() {
  local start
  start=$(now)
  for name in $(names_of "$1"); do dd if="$served/$1/$name" of=/dev/null bs=1M status=none; done
  elapsed "$start"
}
wanted check &&
  race "piece check 16 x 64 MiB (zlib reads $crc_block-byte blocks)" vltsetup_palamut check zlib_crc32 dd_1m

# The sides of a signed case take the unsigned package's name and use its
# signed twin.
check_signed() {
  "$bin/bench_check" "$served/$1_signed/" "$served/$1_signed/vlt_package.txt" check-signed \
    "$package_key" | cut -d' ' -f1
}
# Every file the signed check reads, the list too, in one process.
openssl_sha256() {
  local files=() name start
  for name in $(names_of "$1_signed"); do files+=("$served/$1_signed/$name"); done
  start=$(now)
  openssl dgst -sha256 "${files[@]}" > /dev/null
  elapsed "$start"
}
if wanted signed-check; then
  race "piece check 16 x 64 MiB signed (CRC-32 and SHA-256)" vltsetup_palamut check_signed \
    openssl_sha256 check
  median_ratio "signed piece check" openssl_sha256 check_signed "at least 0.67 wanted"
fi

# The whole program, on its own display with a black root.
Xvfb ":$display_number" -screen 0 1024x768x24 -br -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X$display_number" ] && break; sleep 0.1; done
program_facts="$work/program_facts"
: > "$program_facts"
program() {
  # The download folder lives under TMPDIR; a fresh one means a first run.
  fresh "$dl"
  : > "$nginx_dir/access.log"
  kill -USR1 "$(cat "$nginx_dir/nginx.pid")"  # reopen the log
  sleep 0.05
  local facts
  facts=$(DISPLAY=":$display_number" TMPDIR="$dl" "$bin/bench_screen_watch" "Veltra Kurulum" \
    "$root/res/bitmaps/203.bmp" "$root/res/bitmaps/208.bmp" 120 "$program")
  local launch manifest last_piece
  launch=$(sed 's/.*launch=\([0-9.]*\).*/\1/' <<< "$facts")
  manifest=$(awk -v l="$launch" '/vlt_package.txt/ {printf "%.3f", $1 - l; exit}' "$nginx_dir/access.log")
  # nginx logs a request when its last byte has gone.
  last_piece=$(awk -v l="$launch" '/vltsetup_palamut\/piece/ {last = $1} END {printf "%.4f", last - l}' \
    "$nginx_dir/access.log")
  echo "$facts manifest=$manifest last_piece=$last_piece" >> "$program_facts"
  echo "$last_piece"
}
# The worker alone on the same package, so that what the window costs shows
# beside the whole program's ratio.
wanted worker && race "worker alone 16 x 64 MiB" vltsetup_palamut worker curl_k
worker_signed() {
  fresh "$dl"
  "$bin/bench_download" --key "$package_key" "$base/$1_signed/vlt_package.txt" "$dl/" |
    cut -d' ' -f1
}
if wanted signed-worker; then
  race "worker alone 16 x 64 MiB signed" vltsetup_palamut worker_signed worker
  median_ratio "signed worker" worker_signed worker "at most 1.25 wanted"
fi
wanted program && race "whole program 16 x 64 MiB, launch to the last piece" vltsetup_palamut \
  program curl_k aria2c_i
field() {
  local best median
  read -r best median < <(sed "s/.* $1=\([0-9.-]*\).*/\1/" "$program_facts" | best_median)
  printf 'best %s median %s' "$best" "$median"
}
if wanted program; then
  echo "whole program: manifest requested $(field manifest) s; window painted $(field painted) s;" \
    "start button shown $(field finished) s; peak RSS $(field peak_rss_mib) MiB;" \
    "CPU seconds $(field cpu) (all processes, rounds $rounds)"
fi

# Milliseconds from the stop event to the worker's end, "FLOWING STALLED" a
# line, one line a round, Linux and Windows taking turns.
stop_linux() { fresh "$dl"; "$bin/bench_stop" "$base/big/vlt_package.txt" "$dl/"; }
stop_windows() {
  fresh "$dl"
  on_wine wine "$windows_build/bench/bench_stop.exe" "$base/big/vlt_package.txt" \
    "$(windows_path "$dl/")" | tr -d '\r'
}
if wanted stop; then
  stop_sides=(stop_linux)
  [ "$windows" != 1 ] || stop_sides+=(stop_windows)
  rm -rf "$times_dir"
  mkdir -p "$times_dir"
  for _ in $(seq "$rounds"); do
    for side in "${stop_sides[@]}"; do "$side" >> "$times_dir/$side"; done
  done
  for side in "${stop_sides[@]}"; do
    read -r flowing_best flowing_median < <(cut -d' ' -f1 "$times_dir/$side" | best_median)
    read -r stalled_best stalled_median < <(cut -d' ' -f2 "$times_dir/$side" | best_median)
    echo "$side: while data flows best $flowing_best ms median $flowing_median ms;" \
      "while the server is silent best $stalled_best ms median $stalled_median ms (rounds $rounds)"
  done
fi
