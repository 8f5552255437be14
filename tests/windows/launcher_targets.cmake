# The launcher's and the installer's tests under Wine (launcher_test.sh,
# installer_test.sh) run the real quadrix.exe against the fixture runtimes of
# the Linux launcher tests, built here as DLLs, and read windows with two
# small helper programs. All land in tests/launcher/ of the build.
set(qx_win_launcher_dir ${CMAKE_BINARY_DIR}/tests/launcher)

foreach(fixture good refusing no_export data_symbol)
  set(target qx_win_fixture_${fixture})
  add_library(${target} MODULE
              ${CMAKE_SOURCE_DIR}/tests/launcher/fixtures/${fixture}_runtime.cpp)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE qx_abi quadrix_options)
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${fixture} SUFFIX .dll
    LIBRARY_OUTPUT_DIRECTORY ${qx_win_launcher_dir})
endforeach()

add_executable(launcher_message_box launcher_message_box.cpp)
target_link_libraries(launcher_message_box PRIVATE quadrix_options)

add_executable(installer_probe installer_probe.cpp)
target_link_libraries(installer_probe PRIVATE quadrix_options ole32 uuid)

set_target_properties(launcher_message_box installer_probe PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${qx_win_launcher_dir})
