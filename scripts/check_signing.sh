#!/usr/bin/env bash
# Checks scripts/sign_windows.sh on copies of a Windows program, with a
# throwaway certificate authority and a code-signing certificate signed by it,
# made with openssl in a temporary folder removed on exit:
#
#   check_signing.sh PROGRAM.exe
#
# A copy signed with the key's password from a file, and one signed with it
# in VELTRA_SIGN_PASSWORD, must pass osslsigncode verify against that
# authority, keep their mode and have had the password on no command line;
# the signed copy with one byte of its code changed must fail it. A wrong
# password, or a timestamp server that does not answer, must fail the
# signing and leave the copy as it was. Prints osslsigncode's report on the
# signed copy and a line per check; exits 1 when any check fails.
set -euo pipefail
[ $# -eq 1 ] || { sed -n '2,/^set /{/^#/p}' "$0" >&2; exit 2; }
program="$(realpath "$1")"
[ -f "$program" ] || { echo "check_signing: $program is not a file" >&2; exit 2; }
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sign=("$root/scripts/sign_windows.sh")

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM
cd "$work"

failures=0
# check DESCRIPTION COMMAND [ARGUMENT]...: one line for whether COMMAND succeeds.
check() {
  local description="$1"
  shift
  if "$@"; then
    echo "ok: $description"
  else
    echo "FAILED: $description"
    failures=$((failures + 1))
  fi
}

# The authority, and the publisher's certificate for code signing, its key
# encrypted with the password kept in a file.
password='throwaway publisher password'
printf '%s\n' "$password" >password
echo 'not the password' >wrong-password
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca-key.pem -out ca.pem -days 2 \
  -subj '/CN=Veltra signing check CA' -addext 'basicConstraints=critical,CA:TRUE' \
  -addext 'keyUsage=critical,keyCertSign,cRLSign' 2>/dev/null
openssl req -newkey rsa:2048 -keyout key.pem -passout file:password -out publisher.csr \
  -subj '/CN=Veltra signing check publisher' 2>/dev/null
printf '%s\n' 'basicConstraints=CA:FALSE' 'keyUsage=critical,digitalSignature' \
  'extendedKeyUsage=codeSigning' 'subjectKeyIdentifier=hash' 'authorityKeyIdentifier=keyid' \
  >publisher.ext
openssl x509 -req -in publisher.csr -CA ca.pem -CAkey ca-key.pem -CAcreateserial -days 2 \
  -extfile publisher.ext -out cert.pem 2>/dev/null

# osslsigncode through a stand-in that writes down its arguments.
real="$(command -v osslsigncode)"
mkdir bin
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/arguments"\nexec "%s" "$@"\n' "$work" "$real" \
  >bin/osslsigncode
chmod +x bin/osslsigncode
export PATH="$work/bin:$PATH"
unset VELTRA_SIGN_PASSWORD

# A copy in a folder of its own, with a mode other than the usual.
copy() {
  mkdir "$1"
  cp "$program" "$1/program.exe"
  chmod 0751 "$1/program.exe"
}

# verify PROGRAM REPORT
verify() {
  osslsigncode verify -CAfile ca.pem -in "$1" >"$2" 2>&1
}

signed() {
  "${sign[@]}" --cert cert.pem --key key.pem "$@" >/dev/null
}

# signs_and_verifies FOLDER [OPTION]...
signs_and_verifies() {
  local folder="$1"
  shift
  signed "$@" "$folder/program.exe" && verify "$folder/program.exe" "$folder.report"
}

copy from-file
check "signed with the password from a file, verifies against the test authority" \
  signs_and_verifies from-file --pass-file password
cat from-file.report
check "the signature's digest is SHA-256" \
  grep -q '^Message digest algorithm *: SHA256' from-file.report
check "the signed program kept its mode" test "$(stat -c %a from-file/program.exe)" = 751

copy from-environment
VELTRA_SIGN_PASSWORD="$password" check \
  "signed with the password from VELTRA_SIGN_PASSWORD, verifies" \
  signs_and_verifies from-environment
no_password_given() {
  [ -s arguments ] && ! grep -qF "$password" arguments
}
check "the password was on no osslsigncode command line" no_password_given

# PE headers: the file header at the offset in 0x3c, the section table after
# the optional header; the byte changed is in the middle of the first
# section's data.
number() {
  local bytes value=0 i
  read -r -a bytes < <(od -An -v -tu1 -j "$1" -N "$2" tampered.exe)
  for ((i = $2 - 1; i >= 0; i--)); do value=$((value * 256 + bytes[i])); done
  echo "$value"
}
cp from-file/program.exe tampered.exe
header="$(number 60 4)"
section=$((header + 24 + $(number $((header + 20)) 2)))
offset=$(($(number $((section + 20)) 4) + $(number $((section + 16)) 4) / 2))
printf '%b' "\\0$(printf '%03o' $(($(number "$offset" 1) ^ 0xff)))" |
  dd of=tampered.exe bs=1 seek="$offset" count=1 conv=notrunc status=none
# A failure for another reason than the digest would prove nothing.
fails_on_digest() {
  ! cmp -s from-file/program.exe tampered.exe && ! verify tampered.exe tampered.report &&
    grep -q '^Calculated message digest .*MISMATCH' tampered.report
}
check "a byte changed at $offset (inside the first section) fails verification" fails_on_digest

# refused COPY [OPTION]...: signing fails, with a message, and the folder
# holds the copy as it was and nothing else.
refused() {
  local folder="$1"
  shift
  ! signed "$@" "$folder/program.exe" 2>"$folder.error" && [ -s "$folder.error" ] &&
    cmp -s "$program" "$folder/program.exe" && [ "$(ls -A "$folder")" = program.exe ]
}
copy wrong
check "a wrong password fails the signing, the program is left as it was" \
  refused wrong --pass-file wrong-password
echo "    $(cat wrong.error)"
# Nothing listens on the discard port; the signing must not go on without
# the timestamp.
copy timestamp
check "an unreachable timestamp server fails the signing, the program is left as it was" \
  refused timestamp --pass-file password --timestamp http://127.0.0.1:9/
echo "    $(cat timestamp.error)"

[ "$failures" = 0 ] || { echo "check_signing: $failures check(s) failed" >&2; exit 1; }
