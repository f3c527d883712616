#include "frontend/filter.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tintra {
namespace {

// A shell that answers as a user would: a display or none, the picker
// confirmed with a colour or cancelled, a chooser button or none.
struct Does {
  bool display;
  std::optional<ColorValue> ok;  // none: Cancel
  int chooser;                   // 0: no choice
};
struct FakeUser {
  explicit FakeUser(Does d) : does(d) {}
  Does does;
  // What the dialog was given.
  int alpha_flag = -1;
  std::string live_token_row;  // the "?token" row's text for the initial colour
};
constexpr Does kCancels{true, std::nullopt, 0};

FrontEndShell ShellOf(FakeUser& user) {
  FrontEndShell shell;
  shell.context = &user;
  shell.open_display = [](void* context) { return static_cast<FakeUser*>(context)->does.display; };
  shell.edit = [](void* context, ColorValue initial, std::string_view, int alpha_flag,
                  const PickerOptions& options) {
    FakeUser& user = *static_cast<FakeUser*>(context);
    user.alpha_flag = alpha_flag;
    EXPECT_TRUE(options.dialog_keys);
    if (options.field_text != nullptr) {
      user.live_token_row = options.field_text(options.field_text_context, "?token", initial);
    }
    return user.does.ok ? PickerAnswer{*user.does.ok, true} : PickerAnswer{initial, false};
  };
  shell.choose = [](void* context, const ChooserList& list) {
    EXPECT_EQ(list.labels.size(), 8u);
    return static_cast<FakeUser*>(context)->does.chooser;
  };
  return shell;
}

constexpr ColorValue kBlueish = 0x80FF8000;  // red 0, green 128, blue 255, alpha 128

// One pass per row: the arguments, the input, what the user does, and what
// the editor gets back.
TEST(Filter, StatusAndOutput) {
  struct Row {
    const char* what;
    std::vector<std::string_view> arguments;
    std::string input;
    Does user;
    int status;
    std::string output;
  };
  const std::string css = "color: #ff8000;\n";
  const Row rows[] = {
      {"convert without a dialog",
       {"--filter", "--no-dialog", "--to", "css-rgb"},
       css,
       kCancels,
       0,
       "color: rgb(255, 128, 0);\n"},
      {"OK rewrites only the token",
       {"--filter"},
       "color: #FF8000;",
       {true, kBlueish, 0},
       0,
       "color: #0080FF;"},
      {"Cancel echoes", {"--filter"}, css, kCancels, 1, css},
      {"no display echoes", {"--filter"}, css, {false, std::nullopt, 0}, 3, css},
      {"no token gives 2 before any display",
       {"--filter"},
       "no colour\n",
       {false, std::nullopt, 0},
       2,
       "no colour\n"},
      {"wrong option echoes", {"--filter", "--bogus"}, css, {true, kBlueish, 0}, 64, css},
      {"--no-dialog needs --to or --set", {"--filter", "--no-dialog"}, css, kCancels, 64, css},
      {"--set makes an alpha opaque",
       {"--filter", "--no-dialog", "--set", "#0a0b0c"},
       "rgba(1,2,3,0.5)",
       kCancels,
       0,
       "rgba(10,11,12,1.0)"},
      {"--at picks the later token",
       {"--filter", "--no-dialog", "--to=css-rgb", "--at=9"},
       "a #fff b #000\n",
       kCancels,
       0,
       "a #fff b rgb(0, 0, 0)\n"},
      {"--at beyond the input holds no token", {"--filter", "--at", "99"}, css, kCancels, 2, css},
      {"binary bytes around the token stay",
       {"--filter", "--no-dialog", "--to", "hex-0x"},
       std::string("\0\xff#ff8000\x80", 10),
       kCancels,
       0,
       std::string("\0\xff"
                   "0xFF8000\x80",
                   11)},
      {"empty input: picker, chooser, first line break",
       {"--filter"},
       " \r\n\n",
       {true, 0xFF0080FF, 1},
       0,
       "#ff8000\r\n"},
      {"empty input: no choice is a cancel", {"--filter"}, "\n", {true, 0xFF0080FF, 0}, 1, "\n"},
      {"empty input: --set in its own notation",
       {"--filter", "--no-dialog", "--set", "orange"},
       "",
       kCancels,
       0,
       "orange"},
      {"empty input: --set in a target's default style",
       {"--filter", "--no-dialog", "--set", "rgb(1,2,3)"},
       "\n",
       kCancels,
       0,
       "rgb(1, 2, 3)\n"},
  };
  for (const Row& row : rows) {
    FakeUser user(row.user);
    const FilterOutcome outcome =
        RunFilter(row.input, ReadFilterArguments(row.arguments), Language::kEnglish, ShellOf(user));
    EXPECT_EQ(outcome.status, row.status) << row.what;
    EXPECT_EQ(outcome.output, row.output) << row.what;
    EXPECT_EQ(outcome.message.empty(), row.status == 0) << row.what;
  }
}

// The dialog gets the token's alpha flag, and its live row writes the token
// in its own style.
TEST(Filter, DialogShowsTheTokenInItsStyle) {
  FakeUser user({true, kBlueish, 0});
  const FilterOutcome outcome = RunFilter("x = rgb(255 128 0 / 50%);", ReadFilterArguments({}),
                                          Language::kFrench, ShellOf(user));
  EXPECT_EQ(outcome.output, "x = rgb(0 128 255 / 50%);");
  EXPECT_EQ(user.alpha_flag, 1);
  EXPECT_EQ(user.live_token_row, "rgb(255 128 0 / 50%)");
}

TEST(Filter, ArgumentErrors) {
  const std::vector<std::vector<std::string_view>> wrong = {
      {"--at"},
      {"--at", "-1"},
      {"--at", "1x"},
      {"--to", "named"},
      {"--hex-order=bgra"},
      {"--filter=1"},
      {"--set", "no colour"},
  };
  for (const auto& arguments : wrong) {
    EXPECT_FALSE(ReadFilterArguments(arguments).error.empty()) << arguments[0];
  }
  const FilterArguments good = ReadFilterArguments(
      {"--filter", "--at", "18446744073709551616000", "--hex-order", "argb", "--verbose"});
  EXPECT_EQ(good.error, "");
  EXPECT_EQ(good.at, std::numeric_limits<std::size_t>::max());  // beyond any input: no token
  EXPECT_EQ(good.token_options.hex_order, HexOrder::kArgb);
}

TEST(Filter, ClipboardPass) {
  FakeUser ok({true, kBlueish, 0});
  EXPECT_EQ(RunClipboardPass("  color: #ff8000; /* x */", Language::kEnglish, ShellOf(ok)),
            "  color: #0080ff; /* x */");
  FakeUser cancel(kCancels);
  EXPECT_EQ(RunClipboardPass("#ff8000", Language::kEnglish, ShellOf(cancel)), std::nullopt);
  FakeUser chooses({true, 0xFF0080FF, 5});  // classic-rgb
  EXPECT_EQ(RunClipboardPass("hello", Language::kEnglish, ShellOf(chooses)), "RGB(255, 128, 0)");
  EXPECT_EQ(chooses.alpha_flag, 0);
}

TEST(Filter, LanguageFromLocale) {
  EXPECT_EQ(LanguageFromLocale("fr_FR.UTF-8", "en_US", "en_US"), Language::kFrench);
  EXPECT_EQ(LanguageFromLocale("", "fr_CA", "en_US"), Language::kFrench);  // empty: not set
  EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, "de_DE"), Language::kEnglish);
  EXPECT_EQ(LanguageFromLocale("C", nullptr, "fr_FR"), Language::kEnglish);  // the first set wins
  EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr), Language::kEnglish);
}

}  // namespace
}  // namespace tintra
