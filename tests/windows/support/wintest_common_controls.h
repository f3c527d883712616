// Version 6 of the common controls for test programs and tools. The shipped
// programs ask for it in their manifest resource; test programs carry no
// resources, so they activate the same request at run time, on the thread
// that creates the windows (activation contexts are per thread).
#pragma once

#include <windows.h>

namespace tintra::wintest {

// Activates common controls 6 on the calling thread for its lifetime. When
// the system refuses, the thread keeps the default controls and `active`
// stays false.
struct CommonControls6 {
  HANDLE context = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie = 0;
  bool active = false;

  CommonControls6();
  CommonControls6(const CommonControls6&) = delete;
  CommonControls6& operator=(const CommonControls6&) = delete;
  ~CommonControls6();
};

}  // namespace tintra::wintest
