// Tintra: the colour on the clipboard, edited in the picker, back on the
// clipboard in the same notation (or one chosen in the format chooser).
// With arguments, the text filter instead (`Tintra.exe --filter`): standard
// input to standard output, for editors that pipe a selection through it.
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/filter.h"
#include "frontend/front_end_run.h"
#include "frontend/standalone_pass.h"
#include "standalone/clipboard.h"
#include "standalone/filter_shell_win32.h"
#include "standalone/std_streams_win32.h"

namespace tintra {
namespace {

constexpr char kProgramName[] = "Tintra.exe";

// Statuses of the filter beyond the front-end's own (the sysexits numbers):
constexpr int kFilterFailed = 70;   // the program failed (memory ran out)
constexpr int kFilterIoError = 74;  // standard input unreadable, or output not written

// The clipboard pass over the Win32 clipboard, the picker and the format
// chooser, all linked in: no context.
std::string ReadClipboard(void*) {
  return ReadClipboardText();
}

std::optional<std::string> EditClipboardText(void*, std::string_view text) {
  return EditFrontEndRun(StartStandaloneRun(text));
}

bool WriteClipboard(void*, std::string_view text) {
  return WriteClipboardText(text);
}

void RunStandalone() {
  RunStandalonePass({nullptr, &ReadClipboard, &EditClipboardText, &WriteClipboard});
}

// The command line after the program's name, as the runtime split it.
std::vector<std::string_view> CommandArguments() {
  std::vector<std::string_view> arguments;
  for (int i = 1; i < __argc && __argv != nullptr; ++i) {
    if (__argv[i] != nullptr) arguments.emplace_back(__argv[i]);
  }
  return arguments;
}

// What the filter delivers: the output on standard output, the message
// where a person reads it. A status that promised output it could not
// write becomes kFilterIoError.
int Deliver(int status, std::string_view output, std::string_view message, bool verbose) {
  const bool written = WriteStandardOutput(output);
  WriteMessage(message, verbose);
  return written ? status : kFilterIoError;
}

// `--help`, `--version`: the text on standard output, status 0.
int PrintInformation(const FilterArguments& arguments) {
  const std::string text =
      arguments.help ? FilterHelpText(kProgramName) : VersionText(kProgramName);
  return Deliver(kFilterWritten, text, {}, arguments.verbose);
}

// One pass over the whole input (a wrong option included: the pass gives it
// back with its status). Every path but a delivered result gives the input
// back, so that an editor replacing its selection keeps the text.
int FilterInput(const FilterArguments& arguments) {
  const StreamInput input = ReadStandardInput();
  if (!input.complete) {
    return Deliver(kFilterIoError, input.bytes, "tintra: standard input could not be read",
                   arguments.verbose);
  }
  try {
    const FilterOutcome outcome =
        RunFilter(input.bytes, arguments, UserInterfaceLanguage(), FilterShell());
    return Deliver(outcome.status, outcome.output, outcome.message, arguments.verbose);
  } catch (...) {
    return Deliver(kFilterFailed, input.bytes, "tintra: out of memory", arguments.verbose);
  }
}

// Arguments without --filter: --help and --version answer; anything else
// (a file dropped on the program, an old shortcut's arguments) is ignored,
// as the clipboard program always ignored its command line.
int AnswerWithoutFilter(const FilterArguments& arguments) {
  if (arguments.error.empty() && (arguments.help || arguments.version)) {
    return PrintInformation(arguments);
  }
  return RunPass(RunStandalone);
}

int RunWithArguments(const std::vector<std::string_view>& command_arguments) {
  const FilterArguments arguments = ReadFilterArguments(command_arguments);
  if (!arguments.filter) return AnswerWithoutFilter(arguments);
  if (arguments.error.empty() && (arguments.help || arguments.version)) {
    return PrintInformation(arguments);
  }
  return FilterInput(arguments);
}

}  // namespace
}  // namespace tintra

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::vector<std::string_view> arguments = tintra::CommandArguments();
  if (arguments.empty()) return tintra::RunPass(tintra::RunStandalone);
  return tintra::RunWithArguments(arguments);
}
