# 64-bit Windows build of the same sources, used to run the Windows tests
# under 64-bit Wine on machines that cannot execute 32-bit programs (some
# sandboxes). The shipped programs are the i686 build.
set(TINTRA_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
