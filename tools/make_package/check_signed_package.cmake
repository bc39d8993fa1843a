# Signs a package in SCRATCH with the test key in DATA (tests/data) and
# checks what TOOL made against other programs' arithmetic: CRC-32 from gzip,
# SHA-256 from CMake, the signature from OPENSSL. Then the key commands, and
# that a bad key or a bad item leaves neither a manifest nor a file behind.
# The committed example package in DATA must pass the same checks.
if(NOT OPENSSL)
  message(FATAL_ERROR "this test needs the openssl command")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# gzip's trailer holds the CRC-32 of what it packed, least significant byte first.
function(crc32_of path out)
  execute_process(COMMAND gzip -c -n "${path}" OUTPUT_FILE "${SCRATCH}/crc.gz"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("gzip cannot read ${path}")
  endif()
  file(SIZE "${SCRATCH}/crc.gz" size)
  math(EXPR at "${size} - 8")
  file(READ "${SCRATCH}/crc.gz" bytes OFFSET ${at} LIMIT 4 HEX)
  string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" bytes "${bytes}")
  math(EXPR crc "0x${bytes}")
  set(${out} ${crc} PARENT_SCOPE)
endfunction()

function(run_tool)
  execute_process(COMMAND "${TOOL}" ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err
                  RESULT_VARIABLE status)
  string(REPLACE "\r\n" "\n" out "${out}")
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  set(status "${status}" PARENT_SCOPE)
endfunction()

# Whether openssl finds the 64-byte r and s in HEX a signature of MESSAGE
# (a file) by the public half of KEY.
function(openssl_verifies message hex key out)
  string(SUBSTRING "${hex}" 0 64 r)
  string(SUBSTRING "${hex}" 64 64 s)
  file(WRITE "${SCRATCH}/sig.conf" "asn1=SEQUENCE:sig\n[sig]\nr=INTEGER:0x${r}\ns=INTEGER:0x${s}\n")
  execute_process(COMMAND ${OPENSSL} asn1parse -genconf "${SCRATCH}/sig.conf"
                          -out "${SCRATCH}/sig.der" -noout
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${OPENSSL} pkey -in "${key}" -pubout -out "${SCRATCH}/pub.pem"
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${OPENSSL} dgst -sha256 -verify "${SCRATCH}/pub.pem"
                          -signature "${SCRATCH}/sig.der" "${message}"
                  OUTPUT_VARIABLE said ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0 AND said MATCHES "Verified OK")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# The manifest in FOLDER's MANIFEST text must list vlt_package.sig first and
# then PIECES, each with its CRC-32; the list must hold each piece's SHA-256
# in order and a signature by KEY over those lines, and nothing more.
function(expect_signed folder manifest base key pieces)
  set(lines "")
  set(listed "")
  foreach(name IN LISTS pieces)
    file(SHA256 "${folder}/${name}" digest)
    crc32_of("${folder}/${name}" crc)
    string(APPEND listed "${digest} ${name}\n")
    string(APPEND lines "${name};${crc}\n")
  endforeach()
  list(LENGTH pieces count)
  math(EXPR count "${count} + 1")
  crc32_of("${folder}/vlt_package.sig" list_crc)
  set(expected "${base}\n${count}\nvlt_package.sig;${list_crc}\n${lines}")
  if(NOT manifest STREQUAL expected)
    fail("manifest of ${folder}:\n${manifest}\nexpected:\n${expected}")
  endif()

  file(READ "${folder}/vlt_package.sig" list)
  string(LENGTH "${listed}" signed_length)
  string(SUBSTRING "${list}" 0 ${signed_length} signed)
  string(SUBSTRING "${list}" ${signed_length} -1 last)
  string(LENGTH "${last}" last_length)
  string(SUBSTRING "${last}" 0 10 lead)
  string(SUBSTRING "${last}" 10 128 signature)
  string(SUBSTRING "${last}" 138 -1 end)
  if(NOT signed STREQUAL listed OR NOT last_length EQUAL 139 OR NOT lead STREQUAL "signature "
     OR NOT signature MATCHES "^[0-9a-f]+$" OR NOT end STREQUAL "\n")
    fail("${folder}/vlt_package.sig is\n${list}\nexpected the lines\n${listed}signature ...")
  endif()
  file(WRITE "${SCRATCH}/signed_part" "${listed}")
  openssl_verifies("${SCRATCH}/signed_part" "${signature}" "${key}" good)
  # A signature by any other key must not pass for it.
  openssl_verifies("${SCRATCH}/signed_part" "${signature}" "${DATA}/other_package_key.pem" other)
  if(NOT good OR other)
    fail("the signature in ${folder}/vlt_package.sig is not by ${key} alone")
  endif()
endfunction()

# Pieces that span the tool's read and write blocks, an empty one, and one
# already there.
set(package "${SCRATCH}/package")
file(MAKE_DIRECTORY "${package}")
file(WRITE "${package}/check.txt" "123456789")
run_tool("${package}" http://host/p/ big.bin=1536K)
run_tool(--sign "${DATA}/package_key.pem" "${package}" http://host/p/ check.txt big.bin
         a.bin=1100K empty.bin=0 --series s 2 5)
if(NOT status EQUAL 0)
  fail("signing failed (status ${status}): ${err}")
endif()
set(pieces check.txt big.bin a.bin empty.bin s0000.bin s0001.bin)
set(signed_manifest "${out}")
expect_signed("${package}" "${signed_manifest}" http://host/p/ "${DATA}/package_key.pem"
              "${pieces}")

# The same items unsigned: the same lines without the list's.
set(plain "${SCRATCH}/plain")
file(MAKE_DIRECTORY "${plain}")
file(COPY "${package}/check.txt" "${package}/big.bin" DESTINATION "${plain}")
run_tool("${plain}" http://host/p/ check.txt big.bin a.bin=1100K empty.bin=0 --series s 2 5)
string(REGEX REPLACE "\n7\nvlt_package.sig;[0-9]+\n" "\n6\n" expected "${signed_manifest}")
if(NOT status EQUAL 0 OR NOT out STREQUAL expected OR EXISTS "${plain}/vlt_package.sig")
  fail("unsigned manifest (status ${status}):\n${out}\nexpected:\n${expected}")
endif()

# The committed example, which other tests read.
set(example "${DATA}/signed_package")
file(READ "${example}/vlt_package.txt" manifest)
string(REPLACE "\r\n" "\n" manifest "${manifest}")
expect_signed("${example}" "${manifest}" http://127.0.0.1/p/ "${DATA}/package_key.pem"
              "Veltra.cab;VeltraSetup.exe")

run_tool(--public-key "${DATA}/package_key.pem")
file(READ "${DATA}/package_key.hex" hex)
if(NOT status EQUAL 0 OR NOT out STREQUAL hex)
  fail("--public-key printed '${out}' (status ${status}), package_key.hex holds '${hex}'")
endif()

# A new key is 0600 even where the umask would let others read it, is on
# P-256, and its public key is the point openssl finds in it; a second
# --new-key leaves it as it is.
set(key "${SCRATCH}/new.pem")
execute_process(COMMAND sh -c "umask 0 && exec \"$0\" --new-key \"$1\"" "${TOOL}" "${key}"
                RESULT_VARIABLE status)
execute_process(COMMAND stat -c %a "${key}" OUTPUT_VARIABLE mode OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0 OR NOT mode STREQUAL "600")
  fail("--new-key gave status ${status} and mode '${mode}'")
endif()
execute_process(COMMAND ${OPENSSL} pkey -in "${key}" -pubout -outform DER
                OUTPUT_FILE "${SCRATCH}/new.der" COMMAND_ERROR_IS_FATAL ANY)
file(READ "${SCRATCH}/new.der" der HEX)
# The P-256 public key's DER lead, then the uncompressed point: 04, X, Y.
set(lead "3059301306072a8648ce3d020106082a8648ce3d030107034200")
string(LENGTH "${lead}04" at)
string(SUBSTRING "${der}" 0 ${at} der_lead)
string(SUBSTRING "${der}" ${at} -1 point)
run_tool(--public-key "${key}")
if(NOT der_lead STREQUAL "${lead}04" OR NOT out STREQUAL "${point}\n")
  fail("new key: openssl gives ${der}, --public-key '${out}'")
endif()
file(SHA256 "${key}" before)
run_tool(--new-key "${key}")
file(SHA256 "${key}" after)
if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR NOT before STREQUAL after)
  fail("--new-key over an existing file gave status ${status}")
endif()

# Refused before anything is written: the folder stays empty.
execute_process(COMMAND ${OPENSSL} genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-384
                        -out "${SCRATCH}/p384.pem" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${OPENSSL} genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024
                        -out "${SCRATCH}/rsa.pem" OUTPUT_QUIET ERROR_QUIET
                COMMAND_ERROR_IS_FATAL ANY)
set(good_key "${DATA}/package_key.pem")
set(refused "${SCRATCH}/refused")
foreach(case "${SCRATCH}/missing.pem|a.bin=1K" "${SCRATCH}/p384.pem|a.bin=1K"
             "${SCRATCH}/rsa.pem|a.bin=1K" "${good_key}|a.bin=1K vlt_package.sig=1K"
             "${good_key}|a.bin=1K a.bin=2K")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 case_key)
  list(GET case 1 items)
  separate_arguments(items UNIX_COMMAND "${items}")
  file(REMOVE_RECURSE "${refused}")
  file(MAKE_DIRECTORY "${refused}")
  run_tool(--sign "${case_key}" "${refused}" http://host/p/ ${items})
  file(GLOB left "${refused}/*")
  string(REGEX MATCHALL "\n" error_lines "${err}")
  list(LENGTH error_lines error_lines)
  if(status EQUAL 0 OR NOT out STREQUAL "" OR left OR NOT error_lines EQUAL 1)
    fail("--sign ${case_key} ${items} was taken (status ${status}), left '${left}':\n${out}${err}")
  endif()
endforeach()
run_tool(--public-key "${SCRATCH}/p384.pem")
if(NOT status EQUAL 1 OR NOT out STREQUAL "")
  fail("--public-key took a P-384 key:\n${out}")
endif()
