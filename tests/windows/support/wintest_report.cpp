#include "tests/windows/support/wintest_report.h"

#include <cstdio>
#include <cstdlib>

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

TestSelection ReadTestSelection(int argc, char** argv, std::string_view size_option,
                                int default_size, int minimum_size) {
  TestSelection selection;
  selection.size = default_size;
  int i = 1;
  if (argc > 2 && std::string_view(argv[1]) == "--dpi-child") {
    selection.dpi_child = std::atoi(argv[2]);
    i = 3;
  }
  for (; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!size_option.empty() && argument == size_option && i + 1 < argc) {
      selection.size = std::atoi(argv[++i]);
    } else if (argument.size() > 1 && argument[0] == '-' && argument[1] != '-') {
      selection.skipped.emplace_back(argument.substr(1));
    } else {
      selection.names.emplace_back(argument);
    }
  }
  if (selection.size < minimum_size) {
    std::printf("%.*s needs at least %d\n", static_cast<int>(size_option.size()),
                size_option.data(), minimum_size);
    selection.valid = false;
  }
  return selection;
}

TestSelection ReadTestSelection(int argc, char** argv) {
  return ReadTestSelection(argc, argv, {}, 0, 0);
}

bool Wanted(const TestSelection& selection, std::string_view name) {
  const auto in = [name](const std::vector<std::string>& list) {
    for (const std::string& part : list) {
      if (name.find(part) != std::string_view::npos) return true;
    }
    return false;
  };
  if (in(selection.skipped)) return false;
  return selection.names.empty() || in(selection.names);
}

}  // namespace tintra::wintest
