#!/bin/sh
# Makes this folder's signed example package again:
#
#   make.sh PATH-TO-make_package
#
# The pieces come out the same each time; the signature, and so
# vlt_package.sig and its CRC-32 in vlt_package.txt, does not.
set -eu
[ $# -eq 1 ] || { echo "usage: $0 PATH-TO-make_package" >&2; exit 2; }
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
trap 'rm -f "$here/vlt_package.txt.new"' EXIT
printf 'Stands in for the installer in the unit tests; never started.\n' > "$here/VeltraSetup.exe"
"$tool" --sign "$here/../package_key.pem" "$here" http://127.0.0.1/p/ \
  Veltra.cab=5000 VeltraSetup.exe > "$here/vlt_package.txt.new"
mv "$here/vlt_package.txt.new" "$here/vlt_package.txt"
