#!/usr/bin/env bash
# Signs Windows programs in place with the publisher's certificate and private
# key: an Authenticode signature over SHA-256, made with osslsigncode.
#
#   sign_windows.sh --cert CERT.pem --key KEY.pem [--pass-file FILE] [--timestamp URL] PROGRAM.exe...
#
# CERT.pem holds the publisher's certificate (any intermediate ones after it).
# The key's password, when it has one, is read from the file given with
# --pass-file, or else from the environment variable VELTRA_SIGN_PASSWORD;
# it is never an argument, neither of this script nor of osslsigncode.
# --timestamp has the RFC 3161 timestamp server at URL countersign each
# signature, so that it stays valid after the certificate expires. Each
# program is signed into a temporary file beside it, which then takes its
# place with the program's mode; a program that fails to sign is left as it
# was, and the script stops there.
set -euo pipefail

usage() {
  sed -n '2,/^set /{/^#/p}' "$0" >&2
  exit 2
}

fail() {
  echo "sign_windows: $*" >&2
  exit 1
}

cert=
key=
pass_file=
timestamp=
programs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --cert | --key | --pass-file | --timestamp)
      [ $# -ge 2 ] || usage
      [ -n "$2" ] || usage
      case "$1" in
        --cert) cert="$2" ;;
        --key) key="$2" ;;
        --pass-file) pass_file="$2" ;;
        --timestamp) timestamp="$2" ;;
      esac
      shift 2
      ;;
    --) shift; programs+=("$@"); break ;;
    -*) usage ;;
    *) programs+=("$1"); shift ;;
  esac
done
[ -n "$cert" ] || usage
[ -n "$key" ] || usage
[ ${#programs[@]} -gt 0 ] || usage

command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (apt-get install osslsigncode)"
[ -r "$cert" ] || fail "cannot read the certificate $cert"
[ -r "$key" ] || fail "cannot read the key $key"
[ -z "$pass_file" ] || [ -r "$pass_file" ] || fail "cannot read the password file $pass_file"
for program in "${programs[@]}"; do
  [ -f "$program" ] || fail "$program is not a file"
  [ -w "$(dirname "$program")" ] || fail "cannot write in the folder of $program"
done

# The password from the environment goes to osslsigncode in a file only this
# user can read, in a private folder removed on exit (printf is a builtin, so
# it is on no command line on the way).
private=
scratch=
cleanup() {
  rm -rf "$private" "$scratch"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
if [ -z "$pass_file" ] && [ -n "${VELTRA_SIGN_PASSWORD+set}" ]; then
  private="$(mktemp -d)"
  pass_file="$private/password"
  (umask 077 && printf '%s' "$VELTRA_SIGN_PASSWORD" >"$pass_file")
fi

options=(sign -certs "$cert" -key "$key" -h sha256)
[ -z "$pass_file" ] || options+=(-readpass "$pass_file")
[ -z "$timestamp" ] || options+=(-ts "$timestamp")

# osslsigncode's first message that says what went wrong, without OpenSSL's
# error stack or the prompts that follow a wrong password.
reason() {
  sed -e 's/Enter PEM pass phrase://g' "$1" |
    grep -v -E '^[[:space:]]*$|^[0-9A-F]+:error:|^Failed$|^Connecting to ' | head -n 1 || true
}

for program in "${programs[@]}"; do
  # Beside the program, so that the signed file replaces it by a rename.
  scratch="$(mktemp -d "$(dirname "$program")/.signing.XXXXXX")"
  # With no terminal and no input, a wrong password fails instead of having
  # OpenSSL ask for another.
  if ! setsid -w osslsigncode "${options[@]}" -in "$program" -out "$scratch/signed.exe" \
    </dev/null >"$scratch/log" 2>&1; then
    message="$(reason "$scratch/log")"
    fail "$program was not signed: ${message:-osslsigncode failed}"
  fi
  chmod --reference="$program" "$scratch/signed.exe"
  mv -f "$scratch/signed.exe" "$program"
  rm -rf "$scratch"
  scratch=
  echo "signed $program"
done
