# Checks that every quoted include in the source tree ROOT points to a lower
# floor or into its own folder. Run: cmake -DROOT=<dir> -P check_floors.cmake
# Fails (with one line per offending include) on an include that goes up a
# floor, sideways to another folder of the same floor, or out of the floors,
# and on a source folder that has no floor.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED ROOT)
  message(FATAL_ERROR "check_floors: ROOT is not set")
endif()

# folder:floor, from the ground up.
set(floors base:0 image:1 window:1 document:1 platform:2 runtime:3 program:4 solvers:5
           fraction:5 tools:5 launcher:6 packaging:6)
# Folders outside the floors that may include anything.
set(unchecked tests bench fuzz cmake scripts docs)

foreach(entry IN LISTS floors)
  string(REPLACE ":" ";" pair "${entry}")
  list(GET pair 0 folder)
  list(GET pair 1 level)
  set(level_${folder} ${level})
endforeach()

set(problems "")
file(GLOB tops RELATIVE ${ROOT} LIST_DIRECTORIES true ${ROOT}/*)
foreach(top IN LISTS tops)
  if(NOT IS_DIRECTORY ${ROOT}/${top} OR top MATCHES "^(\\.|build)"
     OR top IN_LIST unchecked)
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/${top}/*.cpp
       ${ROOT}/${top}/*.h ${ROOT}/${top}/*.hpp)
  if(NOT DEFINED level_${top})
    if(sources)
      list(APPEND problems "${top}/: sources in a folder that has no floor")
    endif()
    continue()
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS ${ROOT}/${source} lines
         REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    get_filename_component(source_dir ${source} DIRECTORY)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1"
                           target "${line}")
      string(REGEX REPLACE "/.*" "" target_top "${target}")
      if(target_top STREQUAL top)
        continue()
      endif()
      if(NOT target MATCHES "/" AND EXISTS ${ROOT}/${source_dir}/${target})
        continue() # a file beside the includer
      endif()
      if(NOT DEFINED level_${target_top})
        list(APPEND problems "${source}: \"${target}\" is outside the floors")
      elseif(level_${target_top} GREATER level_${top})
        list(APPEND problems "${source}: \"${target}\" is a floor up")
      elseif(level_${target_top} EQUAL level_${top})
        list(APPEND problems "${source}: \"${target}\" is sideways")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "Includes against the floors:\n${text}")
endif()
message(STATUS "check_floors: every include points down or within its folder")
