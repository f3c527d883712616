#include "plugin/command_line.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tintra {
namespace {

using namespace std::string_view_literals;

TEST(CommandLine, Arguments) {
  struct Row {
    const char* name;
    std::string_view command_line;
    std::string_view arg1, arg2, arg3;
  };
  const Row rows[] = {
      {"three arguments", R"(C:\p\Tintra-Plugin.exe Tarvo 65670 x)"sv, "Tarvo"sv, "65670"sv, "x"sv},
      {"quoted program path", R"("C:\Program Files\p.exe" Tarvo $1A2B 0)"sv, "Tarvo"sv, "$1A2B"sv,
       "0"sv},
      {"quoted argument with blanks", R"(p.exe "Tar vo" "1 2" "")"sv, "Tar vo"sv, "1 2"sv, ""sv},
      {"quotes inside an argument", R"(p.exe a"b c"d e)"sv, "ab cd"sv, "e"sv, ""sv},
      {"several blanks and tabs", "p.exe   Tarvo\t\t12  \t z  "sv, "Tarvo"sv, "12"sv, "z"sv},
      {"missing arguments", "p.exe Tarvo"sv, "Tarvo"sv, ""sv, ""sv},
      {"program only", "p.exe"sv, ""sv, ""sv, ""sv},
      {"empty", ""sv, ""sv, ""sv, ""sv},
      {"unclosed quote", R"(p.exe Tarvo "12 3)"sv, "Tarvo"sv, "12 3"sv, ""sv},
      {"lower case kept", "p.exe tarvo 1 2"sv, "tarvo"sv, "1"sv, "2"sv},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.arg1, CommandLineArgument(row.command_line, 1));
    EXPECT_EQ(row.arg2, CommandLineArgument(row.command_line, 2));
    EXPECT_EQ(row.arg3, CommandLineArgument(row.command_line, 3));
  }
  EXPECT_EQ(R"(C:\Program Files\p.exe)",
            CommandLineArgument(R"("C:\Program Files\p.exe" Tarvo)", 0));
  EXPECT_EQ("", CommandLineArgument("p.exe a", 4));
  EXPECT_EQ("", CommandLineArgument("p.exe a", -1));
}

}  // namespace
}  // namespace tintra
