#!/usr/bin/env bash
# Writes PREFIX/nginx.conf from nginx.conf.in: a server on 127.0.0.1:PORT for
# the files under ROOT, each transfer held to RATE (nginx's units, as 2m; 0 or
# nothing for no limit). Start it with: nginx -p PREFIX -c PREFIX/nginx.conf
#
#   write_nginx_conf.sh PREFIX PORT ROOT [RATE]
set -euo pipefail
[ $# -ge 3 ] && [ $# -le 4 ] || { sed -n '2,6p' "$0" >&2; exit 2; }
prefix="$(realpath -m "$1")" port="$2" root="$(realpath -m "$3")" rate="${4:-0}"
# As root the workers would otherwise run as nobody, who may not read ROOT.
user=""
[ "$(id -u)" -eq 0 ] && user="user root;"
mkdir -p "$prefix/temp"
sed -e "s|@PREFIX@|$prefix|g" -e "s|@PORT@|$port|g" -e "s|@ROOT@|$root|g" \
  -e "s|@RATE@|$rate|g" -e "s|@USER@|$user|g" \
  "$(dirname "${BASH_SOURCE[0]}")/nginx.conf.in" >"$prefix/nginx.conf"
