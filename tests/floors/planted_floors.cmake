# Runs check_floors.cmake on small planted trees, one include each, and
# fails unless it accepts the sound ones and rejects the others, naming the
# offending include. Run: cmake -DWORK=<scratch dir> -P planted_floors.cmake
cmake_minimum_required(VERSION 3.25)
set(checker ${CMAKE_CURRENT_LIST_DIR}/check_floors.cmake)

# file|include line|expected ("ok" or the word the failure names)
set(cases
  "base/a.h|#include \"base/b.h\"|ok"
  "base/a.h|#include \"image/image_format.h\"|up"
  "image/a.cpp|#include \"platform/gbk.h\"|up"
  "window/a.h|#include \"runtime/abi/qx_abi.h\"|up"
  "window/a.h|#include \"image/image_reader.h\"|sideways"
  "runtime/core/a.h|#include \"window/form_model.h\"|ok"
  "program/a.cpp|#include \"solvers/equations.h\"|up"
  "fraction/pages/a.cpp|#include \"solvers/handlers.h\"|sideways"
  "fraction/pages/a.cpp|  #  include \"tools/a.h\"|sideways"
  "fraction/pages/a.cpp|#include \"fraction/fraction.h\"|ok"
  "tools/a.cpp|#include \"program/tool_routines.h\"|ok"
  "launcher/a.cpp|#include \"tests/support.h\"|outside"
  "novel/a.cpp|#include \"base/b.h\"|no floor"
  "tests/a.cpp|#include \"launcher/a.h\"|ok"
  "solvers/a.cpp|// #include \"tools/a.h\"|ok")

set(failures "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  list(GET fields 1 include)
  list(GET fields 2 expected)
  set(tree ${WORK}/planted_${index})
  math(EXPR index "${index} + 1")
  file(REMOVE_RECURSE ${tree})
  file(WRITE ${tree}/${file} "${include}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${tree} -P ${checker}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(expected STREQUAL "ok")
    if(NOT result EQUAL 0)
      list(APPEND failures "${file} <${include}>: rejected: ${err}")
    endif()
  elseif(result EQUAL 0)
    list(APPEND failures "${file} <${include}>: accepted")
  elseif(NOT err MATCHES "${expected}")
    list(APPEND failures "${file} <${include}>: no \"${expected}\" in: ${err}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "check_floors misjudged planted trees:\n${text}")
endif()
