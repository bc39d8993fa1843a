# What both Windows toolchains share: Debian's mingw-w64 for the triple the
# toolchain file names, in its POSIX thread model (the -win32 one has no
# std::thread or std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
# Libraries and headers for Windows only: the system's mingw-w64 files and the
# folders the build adds (see windows_dependencies.cmake); programs from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
