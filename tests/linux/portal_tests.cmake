# The desktop portal path of the Linux eyedropper, against a stand-in portal
# on a private session bus. The X11 path is a row of the end-to-end table.

add_executable(portal_standin_tool ${CMAKE_CURRENT_LIST_DIR}/portal_standin_tool.cpp)
tintra_target(portal_standin_tool)
set_target_properties(portal_standin_tool PROPERTIES AUTOMOC ON)
target_link_libraries(portal_standin_tool PRIVATE Qt6::DBus)

add_executable(portal_pick_qttest ${CMAKE_CURRENT_LIST_DIR}/portal_pick_qttest.cpp)
tintra_target(portal_pick_qttest)
target_link_libraries(portal_pick_qttest PRIVATE tintra_qt)

find_program(TINTRA_DBUS_DAEMON dbus-daemon)
if(TINTRA_DBUS_DAEMON)
  add_test(NAME linux_portal_pick
           COMMAND portal_pick_qttest ${TINTRA_DBUS_DAEMON} ${CMAKE_CURRENT_LIST_DIR}/portal_bus.conf
                   $<TARGET_FILE:portal_standin_tool>)
  set_tests_properties(linux_portal_pick PROPERTIES TIMEOUT 120)
else()
  message(WARNING "No dbus-daemon (package dbus): the portal test is left out")
endif()
