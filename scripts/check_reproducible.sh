#!/usr/bin/env bash
# Builds this checkout's HEAD twice, from two clean clones at different paths
# (in a scratch folder, removed at the end), and checks that both give the
# same bytes: the 64-bit and 32-bit Windows programs (--windows) and the
# Debian package (--package); both when neither is asked for.
#
#   scripts/check_reproducible.sh [--windows] [--package] [--shared-cache DIR] [--keep]
#
# Each clone builds the Windows programs with scripts/build_windows.sh (tests
# off) and a library cache of its own in the scratch folder, or the cache DIR
# given with --shared-cache, which both use (the libraries are then built
# once, or not at all when DIR holds them). The package is built as README's
# "Install" says: a Release build without tests and benchmarks, then
# cpack -G DEB. It prints both sha256 sums of each artefact and exits with 1
# when they differ (showing the first differing bytes) or when the Windows
# program names a folder of the build. --keep leaves the scratch folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

windows=0 package=0 shared_cache="" keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) windows=1 ;;
    --package) package=1 ;;
    --shared-cache)
      [ $# -ge 2 ] || { echo "check_reproducible: --shared-cache needs a folder" >&2; exit 2; }
      mkdir -p "$2"
      shared_cache="$(cd "$2" && pwd)"
      shift ;;
    --keep) keep=1 ;;
    *) echo "usage: $0 [--windows] [--package] [--shared-cache DIR] [--keep]" >&2; exit 2 ;;
  esac
  shift
done
if [ "$windows" -eq 0 ] && [ "$package" -eq 0 ]; then windows=1 package=1; fi

commit="$(git -C "$root" rev-parse HEAD)"
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "note: uncommitted changes are not built, only $commit"
fi
scratch="$(mktemp -d -t veltra-reproducible.XXXXXX)"
if [ "$keep" -eq 1 ]; then
  echo "the clones and their logs stay in $scratch"
else
  trap 'rm -rf "$scratch"' EXIT
fi

# Two folders whose paths differ in length too, so that a path left in a
# binary also moves what follows it.
clones=("$scratch/a/veltra-setup" "$scratch/second-clone/veltra-setup")
for clone in "${clones[@]}"; do
  git clone -q --no-checkout "$root" "$clone"
  git -C "$clone" checkout -q --detach "$commit"
done

# Runs a build step in a clone, its output into a log that is shown when it
# fails.
step() {
  local log="$1"
  shift
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "failed: $* (log: $log)" >&2
    exit 1
  fi
}

build_windows() {
  local clone="$1" log="$2"
  local cache="${shared_cache:-$clone.windows-cache}"
  # Without tests the 32-bit build needs no wine root.
  step "$log" env VELTRA_WINDOWS_CACHE="$cache" VELTRA_WINE32=off "$clone/scripts/build_windows.sh" \
    -DVELTRA_BUILD_TESTS=OFF
}

# Fails when a program holds the path of one of the folders its build ran
# in: with a shared cache both programs would hold the same path and still
# be equal.
names_no_folder() {
  local exe="$1" folder found=0
  shift
  for folder in "$@"; do
    if strings -a "$exe" | grep -F -- "$folder" | sed 's/^/    /'; then
      echo "  ${exe#"$scratch/"} names $folder"
      found=1
    fi
  done
  return "$found"
}

build_package() {
  local clone="$1" log="$2"
  step "$log" cmake -S "$clone" -B "$clone/build-release" -DCMAKE_BUILD_TYPE=Release \
    -DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_BENCH=OFF
  step "$log" cmake --build "$clone/build-release" -j"$(nproc)"
  (cd "$clone/build-release" && step "$log" cpack -G DEB)
}

# Prints both sums of an artefact; on a difference, the first bytes that
# differ (offset, then the octal bytes of each), and returns 1.
compare() {
  local name="$1" first="$2" second="$3"
  local sum1 sum2
  sum1="$(sha256sum "$first" | cut -d' ' -f1)"
  sum2="$(sha256sum "$second" | cut -d' ' -f1)"
  echo "$name"
  echo "  $sum1  ${first#"$scratch/"}"
  echo "  $sum2  ${second#"$scratch/"}"
  if [ "$sum1" = "$sum2" ]; then
    echo "  same"
    return 0
  fi
  echo "  DIFFERENT ($(stat -c %s "$first") and $(stat -c %s "$second") bytes); first differing bytes:"
  cmp -l "$first" "$second" | head -n 20 | sed 's/^/    /' || true
  return 1
}

status=0
if [ "$windows" -eq 1 ]; then
  for clone in "${clones[@]}"; do
    started=$SECONDS
    build_windows "$clone" "$clone.windows.log"
    echo "built the Windows programs in ${clone#"$scratch/"} in $((SECONDS - started)) s"
    for build in build-windows build-windows32; do
      names_no_folder "$clone/$build/app/veltra-setup.exe" "$scratch" \
        ${shared_cache:+"$shared_cache"} || status=1
    done
  done
  for build in build-windows build-windows32; do
    compare "$build/app/veltra-setup.exe" "${clones[0]}/$build/app/veltra-setup.exe" \
      "${clones[1]}/$build/app/veltra-setup.exe" || status=1
  done
fi
if [ "$package" -eq 1 ]; then
  debs=()
  for clone in "${clones[@]}"; do
    started=$SECONDS
    build_package "$clone" "$clone.package.log"
    echo "built the package in ${clone#"$scratch/"} in $((SECONDS - started)) s"
    deb=("$clone"/build-release/veltra-setup_*.deb)
    [ -f "${deb[0]}" ] || { echo "cpack wrote no package in $clone/build-release" >&2; exit 1; }
    debs+=("${deb[0]}")
  done
  compare "$(basename "${debs[0]}")" "${debs[0]}" "${debs[1]}" || status=1
fi
exit "$status"
