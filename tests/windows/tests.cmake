# Windows test programs, run under Wine by ctest (one at a time: they drive
# the real pointer and keyboard of the shared virtual display).
#  - tests/windows/*_wintest.cpp: one test program each, registered with ctest;
#  - tests/windows/*_tool.cpp: helper programs the tests start (stand-in
#    editor, clipboard holder...), not tests themselves.
# All of them land in bin/, beside the programs they start.
file(GLOB TINTRA_WINTESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_wintest.cpp)
file(GLOB TINTRA_WINTOOLS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_tool.cpp)
file(GLOB TINTRA_WINTEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/support/*.cpp)

add_library(tintra_wintest_support STATIC ${TINTRA_WINTEST_SUPPORT})
tintra_target(tintra_wintest_support)
# psapi: process memory counters for the soak tests.
target_link_libraries(tintra_wintest_support PUBLIC tintra_win32 psapi)

foreach(source IN LISTS TINTRA_WINTOOLS TINTRA_WINTESTS)
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  tintra_target(${name})
  target_link_libraries(${name} PRIVATE tintra_wintest_support)
endforeach()

# The demo tool times the dialog's start-up: it carries the programs' own
# manifest, so that common controls 6 come in as they do in the programs (a
# context activated at run time makes every widget creation look the
# controls library up again under Wine).
target_sources(dialog_demo_tool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dialog_demo_tool.rc)
target_include_directories(dialog_demo_tool PRIVATE ${PROJECT_SOURCE_DIR}/resources)

# Arguments of a test program under ctest. The soaks run shortened here, to
# keep CI short; scripts/soak.sh runs them in full (2000 openings, a flood of
# 10000 messages, 200 standalone runs; the eyedropper's 200 runs are short
# enough to stay).
set(TINTRA_WINTEST_ARGS_dialog_soak_wintest 300)
set(TINTRA_WINTEST_ARGS_plugin_wintest --flood 10000)
set(TINTRA_WINTEST_ARGS_standalone_wintest --soak 20)

foreach(source IN LISTS TINTRA_WINTESTS)
  get_filename_component(name ${source} NAME_WE)
  # Programs the test starts are built first.
  add_dependencies(${name} Tintra Tintra-Plugin)
  foreach(tool IN LISTS TINTRA_WINTOOLS)
    get_filename_component(tool_name ${tool} NAME_WE)
    add_dependencies(${name} ${tool_name})
  endforeach()
  add_test(NAME ${name} COMMAND ${name} ${TINTRA_WINTEST_ARGS_${name}})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
endforeach()

# The filter's dialog in French: Wine takes a program's interface language
# from LC_ALL when it starts, and the programs the test starts inherit it.
add_test(NAME standalone_wintest_french COMMAND standalone_wintest "filter: interface language")
set_tests_properties(standalone_wintest_french PROPERTIES
  TIMEOUT 300 RUN_SERIAL TRUE ENVIRONMENT "LC_ALL=fr_FR.UTF-8;TINTRA_EXPECT_FRENCH=1")
