# The Linux eyedropper's Qt shell files and their test programs. Needs Qt 6
# (Widgets, DBus) and xcb.

# The eyedropper and the portal client are in the Qt program's shell library
# (every picker/*_qt.cpp); the portal's Response receiver needs moc.
set(tintra_eyedropper_qt tintra_qt)
set_target_properties(tintra_qt PROPERTIES AUTOMOC ON)

add_executable(portal_standin_tool ${CMAKE_CURRENT_LIST_DIR}/portal_standin_tool.cpp)
tintra_target(portal_standin_tool)
set_target_properties(portal_standin_tool PROPERTIES AUTOMOC ON)
target_link_libraries(portal_standin_tool PRIVATE Qt6::DBus)

add_executable(portal_pick_qttest ${CMAKE_CURRENT_LIST_DIR}/portal_pick_qttest.cpp)
tintra_target(portal_pick_qttest)
target_link_libraries(portal_pick_qttest PRIVATE ${tintra_eyedropper_qt})

find_program(TINTRA_DBUS_DAEMON dbus-daemon)
if(TINTRA_DBUS_DAEMON)
  add_test(NAME linux_portal_pick
           COMMAND portal_pick_qttest ${TINTRA_DBUS_DAEMON} ${CMAKE_CURRENT_LIST_DIR}/portal_bus.conf
                   $<TARGET_FILE:portal_standin_tool>)
  set_tests_properties(linux_portal_pick PROPERTIES TIMEOUT 120)
else()
  message(WARNING "No dbus-daemon (package dbus): the portal test is left out")
endif()

add_executable(eyedropper_pick_qttest ${CMAKE_CURRENT_LIST_DIR}/eyedropper_pick_qttest.cpp)
tintra_target(eyedropper_pick_qttest)
target_link_libraries(eyedropper_pick_qttest PRIVATE ${tintra_eyedropper_qt})

add_test(NAME linux_eyedropper_pick
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/eyedropper_pick.sh $<TARGET_FILE:eyedropper_pick_qttest>)
set_tests_properties(linux_eyedropper_pick PROPERTIES TIMEOUT 300)

# Each X11 run has a display of its own (eyedropper_pick.sh), so the tests
# may run beside others.
foreach(test linux_portal_pick linux_eyedropper_pick)
  if(TEST ${test})
    set_tests_properties(${test} PROPERTIES
                         ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
  endif()
endforeach()
