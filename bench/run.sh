#!/usr/bin/env bash
# Benchmarks of the download worker and the piece check. Each prints one line
# with its figures and the ratio to its peer:
#   - a 512 MiB piece and a package of 2,000 pieces of 16 KiB served by nginx
#     on loopback, fetched by the worker and by the curl program;
#   - the piece check over 1 GiB of present pieces against zlib's crc32();
#   - how long a close takes to stop a transfer that streams or has stalled.
# Needs about 3 GiB of disk under build-bench/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$root/build-bench"
port="${BENCH_PORT:-18490}"

mapfile -t packages < "$root/scripts/build_packages.txt"
"$root/scripts/install_packages.sh" "${packages[@]}" nginx-light curl

cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_UI=OFF \
  -DVELTRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$work/build" -j"$(nproc)" --target bench_download bench_check bench_make_package bench_stop \
  >/dev/null
bin="$work/build/bench"

mkdir -p "$work/served/big" "$work/served/small" "$work/served/check" "$work/nginx"
chmod -R a+rX "$work"
base="http://127.0.0.1:$port"
if [ ! -s "$work/served/big/vlt_package.txt" ]; then
  "$bin/bench_make_package" "$work/served/big" "$base/big/" big 1 $((512 << 20)) \
    > "$work/served/big/vlt_package.txt"
  "$bin/bench_make_package" "$work/served/small" "$base/small/" small 2000 16384 \
    > "$work/served/small/vlt_package.txt"
  "$bin/bench_make_package" "$work/served/check" "$base/check/" check 64 $((16 << 20)) \
    > "$work/served/check/vlt_package.txt"
fi

cat > "$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon on;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  default_type application/octet-stream;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$port;
    root $work/served;
  }
}
CONF
if curl -s -o /dev/null "$base/"; then
  echo "port $port is already in use (set BENCH_PORT)" >&2
  exit 1
fi
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log"
trap 'kill "$(cat "$work/nginx/nginx.pid")" 2>/dev/null || true' EXIT
for _ in $(seq 50); do curl -s -o /dev/null "$base/" && break; sleep 0.1; done

# Downloads land in memory when it can hold them, so the disk's write-back
# does not blur the figures of either side.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then dl="/dev/shm/veltra-bench-dl"; else dl="$work/dl"; fi
trap 'kill "$(cat "$work/nginx/nginx.pid")" 2>/dev/null || true; rm -rf "$dl"' EXIT

now() { date +%s.%N; }
fresh() { rm -rf "$1"; mkdir -p "$1"; }
cat "$work"/served/big/* "$work"/served/small/* > /dev/null

worker_once() {  # package
  fresh "$dl"
  "$bin/bench_download" "$base/$1/vlt_package.txt" "$dl/" | cut -d' ' -f1
}
curl_once() {  # package
  fresh "$dl"
  local start names
  names=$(tail -n +3 "$work/served/$1/vlt_package.txt" | cut -d';' -f1)
  start=$(now)
  curl -s -o "$dl/vlt_package.txt" "$base/$1/vlt_package.txt"
  for name in $names; do curl -s -o "$dl/$name" "$base/$1/$name"; done
  echo "$(now) $start" | awk '{print $1 - $2}'
}
# This machine's timings vary widely from run to run, so the two sides take
# turns, round after round, and each keeps its best.
compare() {  # label bytes package rounds
  local worker=999999 curl=999999
  for _ in $(seq "$4"); do
    worker=$(echo "$(worker_once "$3") $worker" | awk '{print ($1 < $2) ? $1 : $2}')
    curl=$(echo "$(curl_once "$3") $curl" | awk '{print ($1 < $2) ? $1 : $2}')
  done
  awk -v label="$1" -v bytes="$2" -v w="$worker" -v c="$curl" -v rounds="$4" 'BEGIN {
    printf "%s: worker %.1f MB/s (%.3f s), curl %.1f MB/s (%.3f s), ratio %.2f (best of %d)\n",
      label, bytes / w / 1e6, w, bytes / c / 1e6, c, c / w, rounds }'
}

compare "piece 512 MiB" $((512 << 20)) big 9
compare "package 2000 x 16 KiB" $((2000 * 16384)) small 3
cat "$work"/served/check/* > /dev/null
"$bin/bench_check" "$work/served/check/" "$work/served/check/vlt_package.txt" 3
fresh "$dl"
"$bin/bench_stop" "$base/big/vlt_package.txt" "$dl/"
rm -rf "$dl"
