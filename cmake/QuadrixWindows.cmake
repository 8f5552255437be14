# Settings of the 32-bit Windows build (toolchain
# cmake/toolchains/i686-w64-mingw32.cmake).
#
# Every binary carries its C and C++ runtime and the thread library
# statically, so nothing but system DLLs travels with it. The tools that run
# during the build (quadrix-image, quadrix-icon) come from a native build:
# QUADRIX_HOST_TOOLS_DIR names the directory holding quadrix-image and
# QUADRIX_HOST_ICON_TOOL the icon renderer.

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  message(FATAL_ERROR "The Windows build is 32-bit only (i686-w64-mingw32)")
endif()

add_link_options(-static -static-libgcc -static-libstdc++)
# Doubles computed as on x86-64: in SSE2 registers, each operation rounded
# once to double (the x87 unit would keep 80-bit intermediates), and the
# square root as the processor's correctly rounded instruction.
add_compile_options(-msse2 -mfpmath=sse -fno-math-errno)
# Unicode is never assumed: the program speaks GBK through the A functions
# and converts explicitly where wide text is needed.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

set(QUADRIX_HOST_TOOLS_DIR "" CACHE PATH
    "Directory of the natively built quadrix-image")
set(QUADRIX_HOST_ICON_TOOL "" CACHE FILEPATH
    "The natively built icon renderer (quadrix-icon)")
foreach(tool IN ITEMS ${QUADRIX_HOST_TOOLS_DIR}/quadrix-image
                      ${QUADRIX_HOST_ICON_TOOL})
  if(NOT EXISTS ${tool} OR IS_DIRECTORY ${tool})
    message(FATAL_ERROR
            "The Windows build needs the native build tools: ${tool} is "
            "missing (set QUADRIX_HOST_TOOLS_DIR and QUADRIX_HOST_ICON_TOOL, "
            "or run `make windows`, which builds them first)")
  endif()
endforeach()

# Boost is header-only here; its headers live in the build machine's
# /usr/include, which must not come before MinGW's own C headers. A
# directory that holds nothing but a link to boost/ keeps them apart.
find_path(QUADRIX_BOOST_INCLUDE_DIR boost/version.hpp
          PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT QUADRIX_BOOST_INCLUDE_DIR)
  message(FATAL_ERROR "Boost headers not found (install libboost-dev)")
endif()
set(qx_boost_only ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${qx_boost_only})
file(CREATE_LINK ${QUADRIX_BOOST_INCLUDE_DIR}/boost ${qx_boost_only}/boost
     SYMBOLIC)
add_library(Boost::headers INTERFACE IMPORTED GLOBAL)
target_include_directories(Boost::headers SYSTEM INTERFACE ${qx_boost_only})
# Boost turns C++11 thread_local off for 32-bit MinGW (its thread-exit
# destructors are broken there) and Multiprecision then warns that C++11 is
# incomplete; nothing of ours needs it from Boost.
target_compile_definitions(Boost::headers INTERFACE
                           BOOST_MP_DISABLE_DEPRECATE_03_WARNING)
