# Draws the artwork into SCRATCH with GENERATOR and fails unless COMPARE
# finds every file the same as its committed copy under COMMITTED.
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${GENERATOR}" "${SCRATCH}" RESULT_VARIABLE drawn)
if(NOT drawn EQUAL 0)
  message(FATAL_ERROR "skin_generator failed: ${drawn}")
endif()
execute_process(COMMAND "${COMPARE}" "${SCRATCH}" "${COMMITTED}" RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "the generator now draws other artwork (above); "
                      "run the skin_artwork target and commit the result if that is intended")
endif()
