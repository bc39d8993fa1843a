# Runs TOOL in SCRATCH: a file already there is listed with its CRC-32, named
# pieces get their sizes, a series its numbered names, and bad items are
# refused without a manifest.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
file(WRITE "${SCRATCH}/check.txt" "123456789")
execute_process(COMMAND "${TOOL}" "${SCRATCH}" http://host/p/ check.txt a.bin=3K --series s 2 5
                OUTPUT_VARIABLE manifest RESULT_VARIABLE status)
# execute_process hands line ends over as LF.
set(expected "http://host/p/\n4\ncheck.txt;3421780262\na.bin;")
string(FIND "${manifest}" "${expected}" at)
if(NOT status EQUAL 0 OR NOT at EQUAL 0)
  message(FATAL_ERROR "unexpected manifest (status ${status}):\n${manifest}")
endif()
foreach(piece a.bin:3072 s0000.bin:5 s0001.bin:5)
  string(REPLACE ":" ";" piece "${piece}")
  list(GET piece 0 name)
  list(GET piece 1 size)
  file(SIZE "${SCRATCH}/${name}" actual)
  if(NOT actual EQUAL size)
    message(FATAL_ERROR "${name} has ${actual} bytes, not ${size}")
  endif()
endforeach()
foreach(bad "a;b=1" "a.bin=3X" "missing.bin" "--series s 2")
  separate_arguments(items UNIX_COMMAND "${bad}")
  execute_process(COMMAND "${TOOL}" "${SCRATCH}" http://host/p/ ${items}
                  OUTPUT_VARIABLE out ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "'${bad}' was taken (status ${status}):\n${out}")
  endif()
endforeach()
