# The editor integrations (editors/) driving the program's filter: Vim,
# Neovim and Emacs, each in a terminal of its own on the virtual display.
# Needs `tintra_under_test` from tests/linux/tests.cmake. An editor that is
# not installed makes its test skip (scripts/setup.sh installs all three).
foreach(editor vim nvim emacs)
  add_test(NAME linux_editor_${editor}
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/x-run.sh ${CMAKE_CURRENT_LIST_DIR}/editors_linuxtest.sh
                   --tintra ${tintra_under_test} --editor ${editor})
  set_tests_properties(linux_editor_${editor} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE
                                                         SKIP_RETURN_CODE 77)
endforeach()
