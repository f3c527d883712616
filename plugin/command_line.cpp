#include "plugin/command_line.h"

#include "picker/blanks.h"

namespace tintra {

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> arguments;
  std::size_t pos = 0;
  for (;;) {
    while (pos < command_line.size() && IsBlank(command_line[pos])) ++pos;
    if (pos >= command_line.size()) break;
    std::string argument;
    bool quoted = false;
    for (; pos < command_line.size(); ++pos) {
      const char c = command_line[pos];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && IsBlank(c)) {
        break;
      } else {
        argument += c;
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string CommandLineArgument(std::string_view command_line, int index) {
  const std::vector<std::string> arguments = SplitCommandLine(command_line);
  if (index < 0 || static_cast<std::size_t>(index) >= arguments.size()) return std::string();
  return arguments[static_cast<std::size_t>(index)];
}

}  // namespace tintra
