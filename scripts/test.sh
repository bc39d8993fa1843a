#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test, then runs
# the tests again under the sanitizers and fuzzes the manifest parser
# (scripts/sanitize.sh), then builds the 64-bit and 32-bit Windows programs
# and runs their tests under wine (scripts/build_windows.sh), checks that
# they can be signed and that two clones build them and the package to the
# same bytes.
#   --quick       skips the sanitizer and fuzzer passes
#   --no-windows  skips the Windows build and its tests
set -euo pipefail
quick=0
windows=1
for option in "$@"; do
  case "$option" in
    --quick) quick=1 ;;
    --no-windows) windows=0 ;;
    *) echo "usage: test.sh [--quick] [--no-windows]" >&2; exit 2 ;;
  esac
done
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

stage_started=$SECONDS
stage_done() {
  echo "== $1 took $((SECONDS - stage_started)) s"
  stage_started=$SECONDS
}

"$root/scripts/install_packages.sh" --list "$root/scripts/build_packages.txt"
stage_done "installing packages"

# Every C++ file keeps the house style of .clang-format; a difference fails
# the run before anything is built.
(cd "$root" && git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The test builds talk to loopback: the end-to-end tests serve the package
# on 18480 and the promo page on 18481.
addresses=(-DMANIFEST_URL=http://127.0.0.1:18480/vltsetup_palamut/vlt_package.txt
  -DPROMO_URL=http://127.0.0.1:18481/DownloaderPromo.aspx)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_WERROR=ON "${launcher[@]}" \
  "${addresses[@]}"
cmake --build "$build" -j"$(nproc)"
stage_done "the Linux build"
# Window tests draw with Qt's offscreen platform; nothing needs a display.
# The Windows program's end-to-end tests wait for the Windows build.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2 -LE e2e-windows
stage_done "the Linux tests"

if [ "$quick" = 0 ]; then
  "$root/scripts/sanitize.sh"
  stage_done "the sanitizer and fuzzer passes"
fi

if [ "$windows" = 1 ]; then
  "$root/scripts/build_windows.sh" -DVELTRA_WERROR=ON "${addresses[@]}"
  stage_done "the Windows build"
  ctest --test-dir "$root/build-windows" --output-on-failure -j2
  stage_done "the Windows tests"
  for program in "$root"/build-windows{,32}/app/veltra-setup.exe; do
    "$root/scripts/check_signing.sh" "$program"
  done
  stage_done "signing"
  # The Windows program under wine on Xvfb, driven from the Linux build.
  ctest --test-dir "$build" --output-on-failure -L '^e2e-windows$'
  stage_done "the Windows end-to-end tests"
  # The 32-bit program's, under 32-bit wine in the project's Debian root,
  # where this machine runs 32-bit code and the root could be made.
  if why="$("$root/scripts/wine32_root.sh" ready)"; then
    ctest --test-dir "$root/build-windows32" --output-on-failure -j2
    stage_done "the 32-bit Windows tests"
    ctest --test-dir "$build" --output-on-failure -L '^e2e-windows32$'
    stage_done "the 32-bit Windows end-to-end tests"
  else
    echo "== skipping the 32-bit Windows tests: $why"
  fi
  # Two more clones of this commit must build both programs and the Debian
  # package byte for byte alike; they take the libraries the build above
  # left in the cache.
  "$root/scripts/check_reproducible.sh" --windows --package \
    --shared-cache "${VELTRA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltra-windows}"
  stage_done "the reproducible builds"
fi
