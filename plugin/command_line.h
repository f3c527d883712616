// The plug-in's command line split into arguments: separated by blanks
// (spaces or tabs); a double-quoted part may hold blanks and loses its
// quotes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tintra {

// All arguments of a command line, the program's own path first.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// Argument `index` of a command line (1 = first after the program's own
// path). A missing argument is the empty text.
std::string CommandLineArgument(std::string_view command_line, int index);

}  // namespace tintra
