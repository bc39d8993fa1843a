# Debian's hardening flags, as dpkg-buildflags gives them with every feature
# on (DEB_BUILD_MAINT_OPTIONS=hardening=+all): _FORTIFY_SOURCE, the stack
# protector, format checks, read-only relocations bound at start (relro and
# now). Their optimisation, debug and path-mapping flags are left to the build
# type. Linux builds other than Debug, so the release build and the Debian
# package made from it have them; sanitizer builds are Debug and do not.

option(VELTRA_HARDENING "Build with Debian's hardening flags (not in Debug)" ON)
if(NOT VELTRA_HARDENING OR WIN32 OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  return()
endif()
find_program(VELTRA_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VELTRA_DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags (package dpkg-dev) is missing: building without hardening")
  return()
endif()

function(veltra_hardening_flags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${VELTRA_DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*|ffile-prefix-map=.*|Wdate-time)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

veltra_hardening_flags(CPPFLAGS preprocessor)
veltra_hardening_flags(CXXFLAGS compiler)
veltra_hardening_flags(LDFLAGS linker)
add_compile_options(${preprocessor} ${compiler})
add_link_options(${linker})
message(STATUS "Hardening: ${preprocessor} ${compiler} ${linker}")
