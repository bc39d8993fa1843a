#!/usr/bin/env bash
# Runs a command in a wine prefix, as the Windows build's tests run: quietly,
# with no installer dialog for Mono or the HTML engine and no debugger left
# waiting after a crash, and in a UTF-8 locale, as a player's desktop has:
# in the C locale wine cannot name a file with a letter outside ASCII.
#
#   wine_env.sh PREFIX COMMAND [ARGUMENT]...     (e.g. wine program.exe)
set -euo pipefail
[ $# -ge 2 ] || { sed -n '2,6p' "$0" >&2; exit 2; }
export WINEPREFIX="$1"
export WINEDEBUG=-all
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d'
shift
exec "$@"
