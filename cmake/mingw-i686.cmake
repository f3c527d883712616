# Cross compiling for 32-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-i686):
# the shipped programs.
set(TINTRA_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
