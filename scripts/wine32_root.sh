#!/usr/bin/env bash
# A Debian root of the project's own holding 32-bit wine, for the 32-bit
# Windows program's tests. 32-bit wine is never installed beside the
# machine's 64-bit wine: that has been seen to hang wine's fresh 64-bit
# prefixes. The root lives outside the build trees, as the Windows libraries
# do, in ${VELTRA_WINE32_ROOT:-${XDG_CACHE_HOME:-~/.cache}/veltra-wine32-root}.
#
#   wine32_root.sh can-run       exit 0 when this machine runs 32-bit x86
#                                code; otherwise print why not and exit 1
#                                (VELTRA_WINE32=off makes it answer no)
#   wine32_root.sh make          make the root unless it is made (root only)
#   wine32_root.sh ready         exit 0 when the root is made and can be
#                                entered here; otherwise print why not and
#                                exit 1
#   wine32_root.sh path          print the root's folder
#   wine32_root.sh run COMMAND [ARGUMENT]...
#                                run COMMAND inside the root, in the caller's
#                                folder, with /tmp, /dev, /proc, /sys and the
#                                project's folder shared with the machine
set -euo pipefail
project="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
root="${VELTRA_WINE32_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/veltra-wine32-root}"
suite=bookworm

usage() {
  sed -n '8,19p' "$0" >&2
  exit 2
}

# Whether the kernel runs i386 code is a setting of the kernel, not of its
# version: the only sure test is to run some. The program exits with 7.
can_run() {
  local scratch status=0
  if [ "${VELTRA_WINE32:-}" = off ]; then
    echo "32-bit wine turned off (VELTRA_WINE32=off)"
    return 1
  fi
  scratch="$(mktemp -d)"
  printf '.globl _start\n_start:\n movl $1, %%eax\n movl $7, %%ebx\n int $0x80\n' >"$scratch/exit.s"
  if ! as --32 -o "$scratch/exit.o" "$scratch/exit.s" 2>/dev/null ||
    ! ld -m elf_i386 -o "$scratch/exit" "$scratch/exit.o" 2>/dev/null; then
    echo "cannot build a 32-bit x86 program to try (binutils for i386 missing)"
    rm -rf "$scratch"
    return 1
  fi
  "$scratch/exit" 2>/dev/null || status=$?
  rm -rf "$scratch"
  if [ "$status" -ne 7 ]; then
    echo "this machine does not run 32-bit x86 programs (a static i386 program ended with $status)"
    return 1
  fi
}

# The mirror the machine's own Debian entries name.
mirror() {
  local uri
  uri="$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -1)"
  [ -n "$uri" ] || uri="$(awk '$1 == "deb" && $0 !~ /security/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null)"
  echo "${uri:-http://deb.debian.org/debian}"
}

# Wine's CNG (signatures of signed packages) rests on GnuTLS, which wine only
# recommends, and the tests of a Turkish code page make glibc's Turkish
# locale from the locales package: a root made without either is made again.
complete() {
  [ -f "$root/.complete" ] && [ -e "$root/usr/lib/i386-linux-gnu/libgnutls.so.30" ] &&
    [ -e "$root/usr/share/i18n/locales/tr_TR" ]
}

make_root() {
  complete && return 0
  [ "$(id -u)" -eq 0 ] || { echo "making the 32-bit wine root needs root" >&2; exit 1; }
  "$project/scripts/install_packages.sh" debootstrap
  local started=$SECONDS scratch
  mkdir -p "$(dirname "$root")"
  scratch="$(mktemp -d "$root.XXXXXX")"
  chmod 755 "$scratch"
  echo "making the 32-bit wine root in $root"
  debootstrap --variant=minbase "$suite" "$scratch" "$(mirror)" >"$scratch.log" 2>&1 ||
    { echo "debootstrap failed; see $scratch.log" >&2; exit 1; }
  cp /etc/resolv.conf "$scratch/etc/resolv.conf"
  (enter "$scratch" / /bin/sh -c 'dpkg --add-architecture i386 && apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends wine wine32:i386 libgnutls30:i386 locales &&
    apt-get clean') >>"$scratch.log" 2>&1 ||
    { echo "installing 32-bit wine in the root failed; see $scratch.log" >&2; exit 1; }
  rm -rf "$root"
  mv "$scratch" "$root"
  rm -f "$scratch.log"
  touch "$root/.complete"
  echo "made the 32-bit wine root in $((SECONDS - started)) s"
}

# A private mount namespace: root has one for the asking; anyone else only
# inside a user namespace of their own, where they count as root.
namespace() {
  if [ "$(id -u)" -eq 0 ]; then echo -m; else echo -r -m; fi
}

ready() {
  can_run || return 1
  if ! complete; then
    echo "the 32-bit wine root is not made (as root: scripts/wine32_root.sh make)"
    return 1
  fi
  # shellcheck disable=SC2046
  if ! unshare $(namespace) chroot "$root" /bin/true 2>/dev/null; then
    echo "cannot enter the 32-bit wine root here (no private mount namespace for this user)"
    return 1
  fi
}

# enter ROOT FOLDER COMMAND...: runs COMMAND in the root at ROOT, in FOLDER
# there, in a private mount namespace whose mounts go with it. The folders
# shared with the machine appear at their own paths inside, so the paths the
# tests hand over mean the same on both sides.
enter() {
  local shared=(/tmp /dev /proc /sys "$project")
  # shellcheck disable=SC2046
  exec unshare $(namespace) sh -c '
    root="$1" folder="$2" count="$3"
    shift 3
    while [ "$count" -gt 0 ]; do
      mkdir -p "$root$1" && mount --rbind "$1" "$root$1" || exit 125
      shift
      count=$((count - 1))
    done
    exec chroot "$root" /bin/sh -c "cd \"\$0\" && exec \"\$@\"" "$folder" "$@"
  ' sh "$1" "$2" "${#shared[@]}" "${shared[@]}" "${@:3}"
}

run_in_root() {
  complete || { echo "no 32-bit wine root: scripts/wine32_root.sh make" >&2; exit 1; }
  enter "$root" "$PWD" "$@"
}

[ $# -ge 1 ] || usage
case "$1" in
  can-run) can_run ;;
  make) make_root ;;
  ready) ready ;;
  path) echo "$root" ;;
  run) shift; [ $# -ge 1 ] || usage; run_in_root "$@" ;;
  *) usage ;;
esac
