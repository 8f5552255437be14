# Compiler settings shared by every Quadrix target.

option(QUADRIX_WERROR "Treat compiler warnings as errors" OFF)
option(QUADRIX_SANITIZE "Build everything with AddressSanitizer and UBSan" OFF)
option(QUADRIX_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(WIN32)
  set(qx_native_parts OFF)
else()
  set(qx_native_parts ON)
endif()
option(QUADRIX_BENCH "Build the benchmarks" ${qx_native_parts})
option(QUADRIX_QT "Build the Qt view, WebPane on Qt and the icon renderer"
       ${qx_native_parts})
option(QUADRIX_TESTS "Build the GoogleTest suite" ${qx_native_parts})

add_library(quadrix_options INTERFACE)
target_compile_features(quadrix_options INTERFACE cxx_std_20)
target_compile_options(quadrix_options INTERFACE
  -Wall -Wextra -Wpedantic
  # Double arithmetic must follow the written order bit for bit.
  -ffp-contract=off
  # Position-independent code that no other module's definitions replace:
  # calls within a library may be inlined.
  -fno-semantic-interposition)
if(QUADRIX_WERROR)
  target_compile_options(quadrix_options INTERFACE -Werror)
endif()

if(QUADRIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
