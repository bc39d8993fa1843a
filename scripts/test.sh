#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

mapfile -t packages < "$root/scripts/build_packages.txt"
"$root/scripts/install_packages.sh" "${packages[@]}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
# Window tests draw with Qt's offscreen platform; nothing needs a display.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2
