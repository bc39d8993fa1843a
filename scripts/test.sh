#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test, then runs
# the tests again under the sanitizers and fuzzes the manifest parser
# (scripts/sanitize.sh); --quick stops after the first run.
set -euo pipefail
quick=0
if [ "${1:-}" = --quick ]; then quick=1; fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

"$root/scripts/install_packages.sh" --list "$root/scripts/build_packages.txt"

# Every C++ file keeps the house style of .clang-format; a difference fails
# the run before anything is built.
(cd "$root" && git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The test build talks to loopback: the end-to-end tests serve the package
# on 18480 and the promo page on 18481.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_WERROR=ON "${launcher[@]}" \
  -DMANIFEST_URL=http://127.0.0.1:18480/vltsetup_palamut/vlt_package.txt \
  -DPROMO_URL=http://127.0.0.1:18481/DownloaderPromo.aspx
cmake --build "$build" -j"$(nproc)"
# Window tests draw with Qt's offscreen platform; nothing needs a display.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2

if [ "$quick" = 0 ]; then "$root/scripts/sanitize.sh"; fi
