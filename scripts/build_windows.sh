#!/usr/bin/env bash
# Builds the Windows program and its tests with Debian's mingw-w64, for
# 64-bit Windows in build-windows/ and for 32-bit Windows in build-windows32/,
# each with a wine prefix to run them in:
#
#   scripts/build_windows.sh [--arch x86_64|i686] [CMAKE-OPTION]...
#   then    ctest --test-dir build-windows    and    ctest --test-dir build-windows32
#
# Both are built unless --arch picks one. The 32-bit tests run under 32-bit
# wine in a Debian root of the project's own (scripts/wine32_root.sh), made
# here, where this machine runs 32-bit x86 code; where it does not, the
# 32-bit program is built without its tests and the reason is printed.
#
# It installs what is missing (the cross compiler, wine, a deb-src entry for
# Debian's own archive), then builds the libraries from Debian's source
# packages once into a cache outside the build tree, one folder per library
# named by its source version, so a later run takes none of that time:
# libcurl (static, Schannel for TLS, HTTP and HTTPS only; with the curl
# program built from it, which the benchmarks race), Boost.Thread and
# Boost.Filesystem (static) with Boost's headers, GoogleTest from
# /usr/src/googletest. zlib comes from libz-mingw-w64-dev. The options given
# go to CMake (MANIFEST_URL, PROMO_URL, ...). VELTRA_WINDOWS_CACHE moves the
# cache; it is ${XDG_CACHE_HOME:-~/.cache}/veltra-windows otherwise.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
architectures=(x86_64 i686)
if [ "${1:-}" = --arch ]; then
  case "${2:-}" in
    x86_64 | i686) architectures=("$2") ;;
    *) echo "usage: build_windows.sh [--arch x86_64|i686] [CMAKE-OPTION]..." >&2; exit 2 ;;
  esac
  shift 2
fi
cache="${VELTRA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltra-windows}"
jobs="$(nproc)"
# The time written into what is built (the programs' link time) is the last
# commit's unless SOURCE_DATE_EPOCH is given, so one source gives one program.
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"
export SOURCE_DATE_EPOCH

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

"$root/scripts/install_packages.sh" --list "$root/scripts/windows_packages.txt"

# Source packages need a deb-src entry; one is made from the entries for
# Debian's own archive when there is none.
has_sources() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/
}
if ! has_sources; then
  echo "adding deb-src entries for Debian's archive"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      as_root tee /etc/apt/sources.list.d/veltra-deb-src.sources >/dev/null
  else
    grep -hE '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      as_root tee /etc/apt/sources.list.d/veltra-deb-src.list >/dev/null
  fi
  as_root apt-get update -qq
fi

# "curl_7.88.1-10+deb12u15" for curl: the source package apt-get would fetch.
source_name() {
  apt-get source --print-uris -qq "$1" 2>/dev/null | awk '$2 ~ /\.dsc$/ && !found++ { sub(/\.dsc$/, "", $2); print $2 }'
}

# Unpacks a source package, with Debian's patches, into a scratch folder and
# prints the folder.
unpack_source() {
  local package="$1" scratch
  scratch="$(mktemp -d "$cache/source.XXXXXX")"
  (cd "$scratch" && apt-get source --download-only -qq "$package" >/dev/null 2>&1 &&
    dpkg-source -x --no-check ./*.dsc tree >/dev/null)
  echo "$scratch"
}

build_curl() {
  local prefix="$1" scratch
  scratch="$(unpack_source curl)"
  cmake -S "$scratch/tree" -B "$scratch/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="-ffile-prefix-map=$scratch=source -ffile-prefix-map=$prefix=${prefix##*/}" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=ON -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
    -DHTTP_ONLY=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF \
    -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBPSL=OFF \
    -DCURL_USE_LIBSSH2=OFF -DCURL_DISABLE_LDAP=ON -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    >"$scratch/configure.log"
  cmake --build "$scratch/build" -j"$jobs" >"$scratch/build.log"
  cmake --install "$scratch/build" >/dev/null
  rm -rf "$scratch"
}

# Boost's source keeps each library's headers apart; they are merged into one
# tree. Only Thread and Filesystem need compiling.
build_boost() {
  local prefix="$1" scratch tree
  scratch="$(unpack_source boost1.74)"
  tree="$scratch/tree"
  mkdir -p "$prefix/include/boost" "$prefix/lib" "$scratch/objects"
  for headers in "$tree"/libs/*/include/boost "$tree"/libs/numeric/*/include/boost; do
    cp -r "$headers/." "$prefix/include/boost/"
  done
  local cxx=("$triple-g++-posix" -std=c++17 -O2 -w -I"$prefix/include"
    -ffile-prefix-map="$scratch=source" -ffile-prefix-map="$prefix=${prefix##*/}")
  local thread=(-DBOOST_THREAD_BUILD_LIB=1 -DBOOST_THREAD_WIN32 -DWIN32_LEAN_AND_MEAN
    -DBOOST_USE_WINDOWS_H -DBOOST_THREAD_USES_CHRONO -DBOOST_CHRONO_HEADER_ONLY)
  local filesystem=(-DBOOST_FILESYSTEM_SOURCE -DBOOST_FILESYSTEM_STATIC_LINK=1
    -DBOOST_FILESYSTEM_HAS_BCRYPT -DBOOST_USE_WINDOWS_H -I"$tree/libs/filesystem/src")
  local source
  {
    for source in "$tree"/libs/thread/src/win32/{thread,tss_dll,tss_pe,thread_primitives}.cpp \
      "$tree"/libs/thread/src/future.cpp; do
      echo "${cxx[*]} ${thread[*]} -c $source -o $scratch/objects/thread_$(basename "$source" .cpp).o"
    done
    for source in "$tree"/libs/filesystem/src/*.cpp; do
      echo "${cxx[*]} ${filesystem[*]} -c $source -o $scratch/objects/filesystem_$(basename "$source" .cpp).o"
    done
  } | xargs -P "$jobs" -I{} sh -c '{}'
  "$triple-ar" rcs "$prefix/lib/libboost_thread.a" "$scratch"/objects/thread_*.o
  "$triple-ar" rcs "$prefix/lib/libboost_filesystem.a" "$scratch"/objects/filesystem_*.o
  rm -rf "$scratch"
}

build_googletest() {
  local prefix="$1" scratch
  scratch="$(mktemp -d "$cache/source.XXXXXX")"
  cmake -S /usr/src/googletest -B "$scratch" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF \
    -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$scratch=source -ffile-prefix-map=$prefix=${prefix##*/}" \
    >"$scratch/configure.log"
  cmake --build "$scratch" -j"$jobs" >"$scratch/build.log"
  cmake --install "$scratch" >/dev/null
  rm -rf "$scratch"
}

# Builds one library into its cache folder unless it is there (and holds the
# file named third, if any); prints the folder. The folder's name ends in the
# revision of the recipes above, raised whenever a change to them changes the
# bytes they build, so that a cache of older recipes is not used.
cached() {
  local name="$1-r2" builder="$2" prefix="$cache/$1-r2" needed="${3:-.complete}"
  if [ ! -f "$prefix/.complete" ] || [ ! -e "$prefix/$needed" ]; then
    echo "building $name into $prefix" >&2
    rm -rf "$prefix"
    local started=$SECONDS
    "$builder" "$prefix" >&2
    touch "$prefix/.complete"
    echo "built $name in $((SECONDS - started)) s" >&2
  fi
  echo "$prefix"
}

mkdir -p "$cache"
curl_name="$(source_name curl)"
boost_name="$(source_name boost1.74)"
[ -n "$curl_name" ] && [ -n "$boost_name" ] || { echo "apt-get source found no curl or boost1.74" >&2; exit 1; }
googletest_name="googletest_$(dpkg-query -W -f='${Version}' googletest)"

# The prefix a build's tests run in, made once, with no dialog and no
# debugger, and wine's null display driver: windows exist and take messages
# with no X display at all (without it wine makes no window there). The
# command given first runs wine (in the 32-bit root for the 32-bit build).
make_wine_prefix() {
  local build="$1" prefix wine_env
  shift
  prefix="$(cmake -L -N "$build" | sed -n 's/^VELTRA_WINE_PREFIX:PATH=//p')"
  wine_env=("$@" "$root/scripts/wine_env.sh" "$prefix")
  if ! grep -qs '"Graphics"="null"' "$prefix/user.reg"; then
    echo "making the wine prefix $prefix"
    timeout 300 "${wine_env[@]}" wineboot -i >/dev/null 2>&1
    timeout 60 "${wine_env[@]}" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
      >/dev/null 2>&1
    timeout 60 "${wine_env[@]}" wineserver -w
  fi
}

build_for() {
  local architecture="$1" build runner=() tests=() skip_tests=()
  shift
  triple="$architecture-w64-mingw32"
  toolchain="$root/cmake/mingw-w64-$architecture.cmake"
  build="$root/build-windows"
  if [ "$architecture" = i686 ]; then
    build="$root/build-windows32"
    local why wine32="$root/scripts/wine32_root.sh"
    if "$wine32" can-run >/dev/null && [ "$(id -u)" -eq 0 ]; then "$wine32" make; fi
    if why="$("$wine32" ready)"; then
      runner=("$wine32" run)
      tests=(-DVELTRA_BUILD_TESTS=ON)
    else
      echo "building the 32-bit program without its tests: $why"
      skip_tests=(-DVELTRA_BUILD_TESTS=OFF)
    fi
  fi
  local deps
  deps="$(cached "$triple-$curl_name" build_curl bin/curl.exe)"
  deps="$deps;$(cached "$triple-$boost_name" build_boost)"
  deps="$deps;$(cached "$triple-$googletest_name" build_googletest)"
  local runner_list
  runner_list="$(IFS=';'; echo "${runner[*]}")"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DVELTRA_WINDOWS_DEPS="$deps" -DVELTRA_BUILD_UI=ON -DVELTRA_BUILD_BENCH=OFF \
    -DVELTRA_WINE_RUNNER="$runner_list" "${tests[@]}" "$@" "${skip_tests[@]}"
  cmake --build "$build" -j"$jobs"
  # Only tests run in the prefix.
  if [ "$(cmake -L -N "$build" | sed -n 's/^VELTRA_BUILD_TESTS:BOOL=//p')" = ON ]; then
    make_wine_prefix "$build" "${runner[@]}"
  fi
}

for architecture in "${architectures[@]}"; do
  build_for "$architecture" "$@"
done
