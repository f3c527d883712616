# The portable core's sources, for the main build and the fuzz build alike:
# every .cpp of the four source folders except the Win32 and Qt shells
# (*_win32.cpp, *_qt.cpp; the programs' entry points among them). Sets
# TINTRA_CORE_SOURCES (absolute paths).
get_filename_component(_tintra_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
file(GLOB TINTRA_CORE_SOURCES CONFIGURE_DEPENDS
     ${_tintra_root}/picker/*.cpp ${_tintra_root}/colortext/*.cpp
     ${_tintra_root}/plugin/*.cpp ${_tintra_root}/standalone/*.cpp)
list(FILTER TINTRA_CORE_SOURCES EXCLUDE REGEX "_(win32|qt)\\.cpp$")
