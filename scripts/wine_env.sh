#!/usr/bin/env bash
# Runs a command in a wine prefix, as the Windows build's tests run: quietly,
# with no installer dialog for Mono or the HTML engine and no debugger left
# waiting after a crash.
#
#   wine_env.sh PREFIX COMMAND [ARGUMENT]...     (e.g. wine program.exe)
set -euo pipefail
[ $# -ge 2 ] || { sed -n '2,6p' "$0" >&2; exit 2; }
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d'
shift
exec "$@"
