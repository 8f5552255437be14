# The whole program under test: the real image in the real runtime
# (basert.rtp's headless entry), with the program's routines exported from
# the test executable for the runtime to resolve by name. Included by every
# test directory that runs the program; defines qx_program_run and
# quadrix_add_program_test when the pieces exist.
include_guard(GLOBAL)

if(NOT (TARGET basert AND TARGET WebPane AND TARGET qx_embedded_image AND
        TARGET qx_fraction_pages AND TARGET qx_solvers AND TARGET qx_tools))
  message(STATUS "program tests: the runtime or the image is missing; skipped")
  return()
endif()

add_library(qx_program_run STATIC
            ${CMAKE_CURRENT_LIST_DIR}/program_run.cpp)
target_include_directories(qx_program_run PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(qx_program_run PRIVATE
  QUADRIX_BASERT_PATH="$<TARGET_FILE:basert>")
target_link_libraries(qx_program_run
  PUBLIC qx_abi qx_embedded_image qx_platform GTest::gtest
         qx_solvers qx_fraction_pages qx_tools qx_sdk qx_tools_startup
         qx_fraction
  PRIVATE quadrix_options)
add_dependencies(qx_program_run basert WebPane)

# quadrix_add_program_test(<name> SOURCES <file>... [LIBS ...]
#                          [ENVIRONMENT ...])
# A gtest executable that runs the program through qx_program_run.
function(quadrix_add_program_test name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;ENVIRONMENT;LIBS")
  quadrix_add_gtest(${name} SOURCES ${ARG_SOURCES}
                    LIBS qx_program_run ${ARG_LIBS}
                    ENVIRONMENT ${ARG_ENVIRONMENT})
  set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
  # The libraries that hold image routines. Nothing in a test calls most of
  # them, so each is linked whole.
  foreach(library qx_solvers qx_fraction_pages qx_tools qx_sdk
                  qx_tools_startup)
    set_property(TARGET ${name} PROPERTY
                 LINK_LIBRARY_OVERRIDE_${library} WHOLE_ARCHIVE)
  endforeach()
endfunction()
