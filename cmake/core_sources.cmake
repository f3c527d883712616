# The portable core's sources, for the main build and the fuzz build alike,
# and the embedded images' source the build writes (cmake/embed_images.cmake).
# Sets TINTRA_CORE_SOURCES (absolute paths); include it in the directory of
# the target that compiles them.
#
# Named one by one: the core builds and is tested on every platform, and a
# file joins it only by being listed here. A platform's shell sits beside the
# core it drives (picker/color_picker_win32.cpp beside picker/interaction.cpp)
# and is listed in that platform's own build (cmake/windows_programs.cmake,
# cmake/linux_program.cmake); the front-ends (frontend/) are a library of
# their own that only the programs and the tests link.
get_filename_component(_tintra_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(TINTRA_CORE_SOURCES
    picker/blanks.cpp
    picker/button_tips.cpp
    picker/color_model.cpp
    picker/descriptor.cpp
    picker/device_pixels.cpp
    picker/dialog_layout.cpp
    picker/embedded_images_load.cpp
    picker/eyedropper.cpp
    picker/eyedropper_run.cpp
    picker/hex_digits.cpp
    picker/icon_file.cpp
    picker/image.cpp
    picker/interaction.cpp
    picker/picker_session.cpp
    picker/portal_color.cpp
    picker/presets.cpp
    picker/read_integer.cpp
    picker/render.cpp
    picker/session_observer.cpp
    picker/window_placement.cpp
    colortext/ansi_case.cpp
    colortext/color_text.cpp
    colortext/color_tokens.cpp
    colortext/css_named_colors.cpp
    colortext/decimal_text.cpp
    colortext/format_chooser.cpp
    colortext/language_texts.cpp
    colortext/windows_1252.cpp
    plugin/command_line.cpp
    plugin/host_link.cpp
    plugin/plugin.cpp
    plugin/preferences.cpp)
list(TRANSFORM TINTRA_CORE_SOURCES PREPEND ${_tintra_root}/)

include(${CMAKE_CURRENT_LIST_DIR}/embed_images.cmake)
tintra_embed_images(TINTRA_CORE_SOURCES)
