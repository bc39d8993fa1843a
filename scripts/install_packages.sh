#!/usr/bin/env bash
# Installs the Debian packages that are not yet installed (as root, or
# through sudo): those named on the command line, and those listed one a line
# in each file given with --list FILE.
#
#   install_packages.sh [--list FILE]... [PACKAGE]...
set -euo pipefail

wanted=()
while [ $# -gt 0 ]; do
  if [ "$1" = --list ]; then
    [ $# -ge 2 ] || { echo "install_packages: --list needs a file" >&2; exit 2; }
    while IFS= read -r line; do
      [ -n "$line" ] && wanted+=("$line")
    done <"$2"
    shift 2
  else
    wanted+=("$1")
    shift
  fi
done

missing=()
for package in "${wanted[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
