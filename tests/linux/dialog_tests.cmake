# The Qt dialog's keys and the Qt list chooser, in the test's own process on
# a private virtual display with openbox.
add_executable(picker_keys_qttest ${CMAKE_CURRENT_LIST_DIR}/picker_keys_qttest.cpp)
tintra_target(picker_keys_qttest)
target_link_libraries(picker_keys_qttest PRIVATE tintra_qt)
foreach(scale 1 2)
  add_test(NAME linux_picker_keys_scale${scale}
           COMMAND ${CMAKE_COMMAND} -E env QT_SCALE_FACTOR=${scale}
                   ${CMAKE_CURRENT_LIST_DIR}/x-run.sh $<TARGET_FILE:picker_keys_qttest>)
  set_tests_properties(linux_picker_keys_scale${scale} PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
endforeach()
