// The command line's words as UTF-8, as every text of the tool.
#pragma once

#include <string>
#include <vector>

namespace torvik::cli {

// argv on Linux; on Windows the process's wide command line, since argv there is in the ANSI code
// page, which cannot hold every file name.
std::vector<std::string> commandLineWords(int argc, char** argv);

}  // namespace torvik::cli
