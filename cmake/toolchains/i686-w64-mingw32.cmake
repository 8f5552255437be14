# Cross compiling for 32-bit Windows with MinGW-w64 (posix thread model).
#
#   cmake -S . -B build-win32 -G Ninja \
#     --toolchain cmake/toolchains/i686-w64-mingw32.cmake \
#     -DQUADRIX_HOST_TOOLS_DIR=<native build>/...
#
# `make windows` does all of this, building the host tools first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUADRIX_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUADRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUADRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUADRIX_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${QUADRIX_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUADRIX_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries, headers and packages come from the MinGW tree only; programs
# (the host tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QUADRIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
