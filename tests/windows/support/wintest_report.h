// Results of a Windows test program: every check is counted, every failure
// printed as "<what>: expected X, got Y", and the program ends with the line
// "N passed, M failed" and exit code 1 when anything failed.
//
//   TestReport report;
//   CheckEqual(report, "red after the drag", 56, red);
//   return FinishReport(report);
//
// Use a report from one thread only.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tintra::wintest {

struct TestReport {
  int passed = 0;
  int failed = 0;
  std::string section;  // prefixed to failure lines; set by BeginSection
};

// Names the group of checks that follows (printed once, and before failures).
void BeginSection(TestReport& report, std::string_view name);

// Counts one check; prints the failure. Returns `ok`.
bool Check(TestReport& report, bool ok, std::string_view what, std::string_view expected,
           std::string_view got);

template <typename T>
std::string ToText(const T& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}
inline std::string ToText(const std::string& value) {
  return "\"" + value + "\"";
}
inline std::string ToText(const char* value) {
  return "\"" + std::string(value) + "\"";
}
inline std::string ToText(bool value) {
  return value ? "true" : "false";
}

// Compares with ==; both values are printed on failure.
template <typename T, typename U>
bool CheckEqual(TestReport& report, std::string_view what, const T& expected, const U& got) {
  return Check(report, expected == got, what, ToText(expected), ToText(got));
}

// "0xAARRGGBB"-style text of a 32-bit value, 8 upper-case digits.
std::string Hex32(std::uint32_t value);

// The command line of a test program: "--dpi-child DPI" first marks the run
// a child at that display DPI (RunSelfAtDpi), "<size option> N" sets the
// size of its soak (runs, messages...), "-name" leaves out the groups of that
// name and every other argument names groups to run.
struct TestSelection {
  int dpi_child = 0;  // 0: not a child run
  int size = 0;
  std::vector<std::string> names;    // empty: every group
  std::vector<std::string> skipped;  // groups left out
  bool valid = true;                 // false: the size is below its minimum (printed)
};
TestSelection ReadTestSelection(int argc, char** argv, std::string_view size_option,
                                int default_size, int minimum_size);
// The same for a program without a soak.
TestSelection ReadTestSelection(int argc, char** argv);

// Whether the group `name` runs: not when it contains a name left out; else
// every group when none was named, or those whose names contain one of the
// names given.
bool Wanted(const TestSelection& selection, std::string_view name);

// Prints "N passed, M failed"; returns the exit code (0 when none failed).
int FinishReport(const TestReport& report);

}  // namespace tintra::wintest
