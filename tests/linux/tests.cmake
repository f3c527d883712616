# Linux test programs, run by ctest on a private virtual display with a
# window manager (tests/linux/x-run.sh), one at a time: they drive the real
# pointer, keyboard and clipboard of that display.
#  - tests/linux/*_linuxtest.cpp: one test program each.
# TINTRA_LINUX_TEST_PROGRAM chooses the tintra they run (default: the one
# built here; the test script passes the installed /usr/bin/tintra).
set(TINTRA_LINUX_TEST_PROGRAM "" CACHE FILEPATH "The tintra the Linux tests run (empty: the build's)")
set(tintra_under_test $<TARGET_FILE:tintra>)
if(TINTRA_LINUX_TEST_PROGRAM)
  set(tintra_under_test ${TINTRA_LINUX_TEST_PROGRAM})
endif()

add_executable(standalone_linuxtest ${CMAKE_CURRENT_LIST_DIR}/standalone_linuxtest.cpp)
tintra_target(standalone_linuxtest)
target_link_libraries(standalone_linuxtest PRIVATE tintra_core ${TINTRA_XCB_LIBRARY})
# What `tintra --version` must print.
target_compile_definitions(standalone_linuxtest PRIVATE TINTRA_TEST_VERSION="${PROJECT_VERSION}")
add_dependencies(standalone_linuxtest tintra)

# At 96 DPI and at 192 DPI (a device pixel ratio of 2).
foreach(scale 1 2)
  math(EXPR dpi "96 * ${scale}")
  add_test(NAME linux_standalone_${dpi}dpi
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/x-run.sh $<TARGET_FILE:standalone_linuxtest>
                   --tintra ${tintra_under_test} --scale ${scale})
  set_tests_properties(linux_standalone_${dpi}dpi PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endforeach()

# Tools of the speed script (scripts/bench-linux.sh), not tests themselves.
add_executable(bare_window_tool ${CMAKE_CURRENT_LIST_DIR}/bare_window_tool.cpp)
tintra_target(bare_window_tool)
target_link_libraries(bare_window_tool PRIVATE tintra_core Qt6::Widgets)
add_executable(startup_timer_tool ${CMAKE_CURRENT_LIST_DIR}/startup_timer_tool.cpp)
tintra_target(startup_timer_tool)
target_link_libraries(startup_timer_tool PRIVATE ${TINTRA_XCB_LIBRARY})
add_executable(copy_stdin_tool ${CMAKE_CURRENT_LIST_DIR}/copy_stdin_tool.cpp)
tintra_target(copy_stdin_tool)
add_executable(dialog_burst_tool ${CMAKE_CURRENT_LIST_DIR}/dialog_burst_tool.cpp)
tintra_target(dialog_burst_tool)
target_link_libraries(dialog_burst_tool PRIVATE tintra_qt)
