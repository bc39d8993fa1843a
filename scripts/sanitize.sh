#!/usr/bin/env bash
# Runs the tests again under the sanitizers and fuzzes the manifest parser.
#   asan  every unit and window test with AddressSanitizer, LeakSanitizer and
#         UndefinedBehaviorSanitizer (build-asan/)
#   tsan  the worker, piece check, callback and kernel tests with
#         ThreadSanitizer (build-tsan/, no window)
#   fuzz  libFuzzer on the manifest parser for FUZZ_SECONDS (60) from the
#         committed seeds (build-fuzz/, clang)
# With no argument all three run. Any sanitizer report or crash fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Build folders go under SANITIZE_BUILD_ROOT (the checkout by default).
out="${SANITIZE_BUILD_ROOT:-$root}"
passes=("$@")
[ ${#passes[@]} -gt 0 ] || passes=(asan tsan fuzz)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1

# Sanitized builds of the tests; neither the end-to-end runs nor the package
# are run. Unoptimised: with the sanitizers -O2 takes several times as long
# to compile, and the tests take seconds either way.
sanitized_tests() {
  local build="$1"
  shift
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELTRA_BUILD_BENCH=OFF \
    "${launcher[@]}" "$@"
  cmake --build "$build" -j"$(nproc)"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2 -LE 'e2e|package'
}

fuzz() {
  local build="$out/build-fuzz"
  cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}"
  cmake --build "$build" -j"$(nproc)"
  # New inputs go to a scratch corpus; the committed seeds stay as they are.
  rm -rf "$build/corpus"
  mkdir -p "$build/corpus"
  "$build/manifest_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 \
    -artifact_prefix="$build/" "$build/corpus" "$root/tests/fuzz/corpus"
}

for pass in "${passes[@]}"; do
  case "$pass" in
    asan) sanitized_tests "$out/build-asan" -DVELTRA_SANITIZE=address,undefined ;;
    tsan) sanitized_tests "$out/build-tsan" -DVELTRA_SANITIZE=thread -DVELTRA_BUILD_UI=OFF ;;
    fuzz) fuzz ;;
    *) echo "unknown pass '$pass': asan, tsan or fuzz" >&2; exit 2 ;;
  esac
done
