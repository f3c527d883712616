# The portable core's sources, for the main build and the fuzz build alike:
# every .cpp of the four source folders except the platforms' shells, and
# the embedded images' source the build writes (cmake/embed_images.cmake).
# Sets TINTRA_CORE_SOURCES (absolute paths); include it in the directory of
# the target that compiles them.
#
# A shell is known by its suffix, not by its folder: it sits beside the core
# it drives (picker/color_picker_win32.cpp beside picker/interaction.cpp).
# The core builds and is tested on every platform, so every platform's
# shell stays out of it: *_win32.cpp (Win32, the programs' entry points
# among them) and *_qt.cpp (Qt). Each shell's own build takes its suffix
# (cmake/windows_programs.cmake takes *_win32.cpp).
get_filename_component(_tintra_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
file(GLOB TINTRA_CORE_SOURCES CONFIGURE_DEPENDS
     ${_tintra_root}/picker/*.cpp ${_tintra_root}/colortext/*.cpp
     ${_tintra_root}/plugin/*.cpp ${_tintra_root}/standalone/*.cpp)
list(FILTER TINTRA_CORE_SOURCES EXCLUDE REGEX "_(win32|qt)\\.cpp$")

include(${CMAKE_CURRENT_LIST_DIR}/embed_images.cmake)
tintra_embed_images(TINTRA_CORE_SOURCES)
