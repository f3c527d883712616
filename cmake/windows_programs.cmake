# The Windows side: the Win32 shell library, the two programs and the
# Windows test programs. Every executable lands in ${CMAKE_BINARY_DIR}/bin so
# that test programs find the programs they start beside themselves.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
enable_language(RC)

# The Win32 shell, named one by one (the programs' entry points are the
# programs' own): each file beside the core or the interface it implements.
set(TINTRA_WIN32_SOURCES
    picker/color_picker_win32.cpp
    picker/dialog_widgets_win32.cpp
    picker/display_dpi_win32.cpp
    picker/eyedropper_win32.cpp
    picker/message_loop_win32.cpp
    picker/top_window_win32.cpp
    colortext/format_chooser_win32.cpp
    plugin/host_link_win32.cpp
    plugin/preferences_win32.cpp
    standalone/clipboard_win32.cpp
    standalone/filter_shell_win32.cpp
    standalone/std_streams_win32.cpp)
add_library(tintra_win32 STATIC ${TINTRA_WIN32_SOURCES})
tintra_target(tintra_win32)
target_compile_definitions(tintra_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(tintra_win32 PUBLIC tintra_core comctl32 gdi32 user32 winmm msimg32)

# tintra_program(name main-source): the GUI program `name` from its entry
# point (relative to the project), with the resources of resources/tintra.rc:
# icon, manifest, and version information naming the program. The version
# is the project's, in both forms the .rc needs.
function(tintra_program name main)
  set(rc ${PROJECT_SOURCE_DIR}/resources/tintra.rc)
  add_executable(${name} WIN32 ${PROJECT_SOURCE_DIR}/${main} ${rc})
  tintra_target(${name})
  target_link_libraries(${name} PRIVATE tintra_frontend tintra_win32)
  # Per target, not on the .rc file: both programs compile the same file.
  set(version_numbers
      ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
  target_compile_definitions(${name} PRIVATE
    $<$<COMPILE_LANGUAGE:RC>:TINTRA_PROGRAM="${name}">
    $<$<COMPILE_LANGUAGE:RC>:TINTRA_VERSION_TEXT="${PROJECT_VERSION}">
    $<$<COMPILE_LANGUAGE:RC>:TINTRA_VERSION_NUMBERS=${version_numbers}>)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/resources)
endfunction()

tintra_program(Tintra standalone/standalone_main_win32.cpp)
tintra_program(Tintra-Plugin plugin/plugin_main_win32.cpp)
