#include "tests/windows/support/wintest_report.h"

#include <cstdio>

namespace tintra::wintest {

void BeginSection(TestReport& report, std::string_view name) {
  report.section = std::string(name);
  std::printf("-- %s\n", report.section.c_str());
  std::fflush(stdout);
}

bool Check(TestReport& report, bool ok, std::string_view what, std::string_view expected,
           std::string_view got) {
  if (ok) {
    ++report.passed;
    return true;
  }
  ++report.failed;
  std::printf("FAILED [%s] %.*s: expected %.*s, got %.*s\n", report.section.c_str(),
              static_cast<int>(what.size()), what.data(), static_cast<int>(expected.size()),
              expected.data(), static_cast<int>(got.size()), got.data());
  std::fflush(stdout);
  return false;
}

std::string Hex32(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

int FinishReport(const TestReport& report) {
  std::printf("%d passed, %d failed\n", report.passed, report.failed);
  std::fflush(stdout);
  return report.failed == 0 ? 0 : 1;
}

}  // namespace tintra::wintest
