#include "plugin/plugin.h"

#include "picker/read_integer.h"
#include "plugin/command_line.h"

namespace tintra {

std::optional<std::int32_t> EditorWindowArgument(std::string_view command_line) {
  if (CommandLineArgument(command_line, 1) != "Tarvo") return std::nullopt;
  return ReadInteger32(CommandLineArgument(command_line, 2));
}

}  // namespace tintra
