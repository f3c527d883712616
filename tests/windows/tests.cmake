# Windows test programs, run under Wine by ctest (one at a time: they drive
# the real pointer and keyboard of the shared virtual display).
#  - tests/windows/*_wintest.cpp: one test program each, registered with ctest;
#  - tests/windows/*_tool.cpp: helper programs the tests start (stand-in
#    editor, clipboard holder...), not tests themselves.
# All of them land in bin/, beside the programs they start.
file(GLOB TINTRA_WINTESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_wintest.cpp)
file(GLOB TINTRA_WINTOOLS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_tool.cpp)
file(GLOB TINTRA_WINTEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/support/*.cpp)

if(TINTRA_WINTEST_SUPPORT AND TARGET tintra_win32)
  add_library(tintra_wintest_support STATIC ${TINTRA_WINTEST_SUPPORT})
  tintra_target(tintra_wintest_support)
  target_link_libraries(tintra_wintest_support PUBLIC tintra_win32)
endif()

foreach(source IN LISTS TINTRA_WINTOOLS TINTRA_WINTESTS)
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  tintra_target(${name})
  if(TARGET tintra_wintest_support)
    target_link_libraries(${name} PRIVATE tintra_wintest_support)
  elseif(TARGET tintra_win32)
    target_link_libraries(${name} PRIVATE tintra_win32)
  else()
    target_link_libraries(${name} PRIVATE tintra_core user32 gdi32)
  endif()
endforeach()

foreach(source IN LISTS TINTRA_WINTESTS)
  get_filename_component(name ${source} NAME_WE)
  # Programs the test starts are built first.
  foreach(dep Tintra Tintra-Plugin)
    if(TARGET ${dep})
      add_dependencies(${name} ${dep})
    endif()
  endforeach()
  foreach(tool IN LISTS TINTRA_WINTOOLS)
    get_filename_component(tool_name ${tool} NAME_WE)
    add_dependencies(${name} ${tool_name})
  endforeach()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
endforeach()
