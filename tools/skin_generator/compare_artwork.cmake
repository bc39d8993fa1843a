# Draws the artwork into SCRATCH with GENERATOR and fails unless every file
# equals its committed copy under COMMITTED.
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${GENERATOR}" "${SCRATCH}" RESULT_VARIABLE drawn)
if(NOT drawn EQUAL 0)
  message(FATAL_ERROR "skin_generator failed: ${drawn}")
endif()
set(files bitmaps/203.bmp bitmaps/206.bmp bitmaps/207.bmp bitmaps/208.bmp bitmaps/210.bmp
          icon_128.png icon_128.ico)
set(differing "")
foreach(file IN LISTS files)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SCRATCH}/${file}"
                          "${COMMITTED}/${file}" RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differing "${file}")
  endif()
endforeach()
if(differing)
  message(FATAL_ERROR "the generator now draws other bytes for: ${differing}; "
                      "run the skin_artwork target and commit the result if that is intended")
endif()
