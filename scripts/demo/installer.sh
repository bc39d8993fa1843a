#!/bin/sh
# Stands in for the game's installer: records that it was started and, with a
# display, says so on screen.
marker="${VELTRA_DEMO_MARKER:-${TMPDIR:-/tmp}/veltra-installer-started.txt}"
printf 'VeltraSetup.exe started at %s\nas %s\nin %s\n' "$(date '+%F %T')" "$0" "$(pwd)" >"$marker"
if [ -n "${DISPLAY:-}" ] && command -v xmessage >/dev/null 2>&1; then
  xmessage -center -timeout 6 "Veltra kurulumu basladi (demo kurulum programi)." >/dev/null 2>&1 &
fi
exit 0
