# The Windows build's libraries, each in the folder scripts/build_windows.sh
# installed it to (VELTRA_WINDOWS_DEPS lists them): libcurl and GoogleTest
# with their own CMake packages, Boost's headers with Boost.Thread and
# Boost.Filesystem as static libraries; zlib comes from Debian's
# libz-mingw-w64-dev. Everything is linked statically, so the programs need
# no DLL besides the system's own. Tests run under wine.

set(VELTRA_WINDOWS_DEPS "" CACHE STRING "The folders scripts/build_windows.sh installed the Windows libraries to")
if(NOT VELTRA_WINDOWS_DEPS)
  message(FATAL_ERROR "VELTRA_WINDOWS_DEPS is empty: build the Windows libraries with "
                      "scripts/build_windows.sh")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${VELTRA_WINDOWS_DEPS})

# The Windows headers as every file of the program wants them: no min and
# max macros, no rarely used parts, Windows 7 and later.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 BOOST_USE_WINDOWS_H)
# The C and C++ runtimes and the threads library go into each program.
add_link_options(-static)
# The programs name their files relative to the source, build and library
# folders, not by where these were on the machine that built them: __FILE__
# (in assertions, in Boost's and libcurl's headers) and debug information say
# "./engine/...", "build/..." and the library folder's name.
set(prefix_maps -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
foreach(folder IN LISTS VELTRA_WINDOWS_DEPS)
  get_filename_component(name "${folder}" NAME)
  list(APPEND prefix_maps -ffile-prefix-map=${folder}=${name})
endforeach()
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${prefix_maps}>")
# ld writes SOURCE_DATE_EPOCH as the programs' link time, rather than the
# time they are linked.
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VELTRA_SOURCE_DATE_EPOCH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})

find_package(CURL CONFIG REQUIRED)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

find_path(VELTRA_BOOST_INCLUDE boost/version.hpp REQUIRED)
find_library(VELTRA_BOOST_THREAD libboost_thread.a REQUIRED)
find_library(VELTRA_BOOST_FILESYSTEM libboost_filesystem.a REQUIRED)
add_library(Boost::headers INTERFACE IMPORTED)
set_target_properties(Boost::headers PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${VELTRA_BOOST_INCLUDE}"
  INTERFACE_COMPILE_DEFINITIONS "BOOST_THREAD_USE_LIB;BOOST_FILESYSTEM_STATIC_LINK=1;BOOST_ALL_NO_LIB")
add_library(Boost::boost INTERFACE IMPORTED)
set_target_properties(Boost::boost PROPERTIES INTERFACE_LINK_LIBRARIES Boost::headers)
add_library(Boost::thread STATIC IMPORTED)
set_target_properties(Boost::thread PROPERTIES
  IMPORTED_LOCATION "${VELTRA_BOOST_THREAD}"
  INTERFACE_LINK_LIBRARIES Boost::headers)
add_library(Boost::filesystem STATIC IMPORTED)
set_target_properties(Boost::filesystem PROPERTIES
  IMPORTED_LOCATION "${VELTRA_BOOST_FILESYSTEM}"
  INTERFACE_LINK_LIBRARIES "Boost::headers;bcrypt")

# Tests and other built programs run under wine, in a prefix of the build's
# own, quietly, with no installer dialog for Mono or the HTML engine, and no
# debugger left waiting after a crash.
# The 32-bit build's wine is not the machine's: it runs in a root of its own,
# entered by the command VELTRA_WINE_RUNNER names, and found there by name.
set(VELTRA_WINE_RUNNER "" CACHE STRING
    "The command wine runs under, empty for the machine's own wine (scripts/wine32_root.sh;run for 32-bit wine)")
if(VELTRA_WINE_RUNNER)
  set(VELTRA_WINE wine)
  set(VELTRA_WINESERVER wineserver)
else()
  find_program(VELTRA_WINE wine REQUIRED)
  find_program(VELTRA_WINESERVER wineserver REQUIRED)
endif()
set(VELTRA_WINE_PREFIX "${PROJECT_BINARY_DIR}/wine" CACHE PATH "The build's wine prefix")
set(VELTRA_WINE_ENVIRONMENT ${VELTRA_WINE_RUNNER} "${PROJECT_SOURCE_DIR}/scripts/wine_env.sh"
    "${VELTRA_WINE_PREFIX}")
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRA_WINE_ENVIRONMENT} "${VELTRA_WINE}")
