// Whole-file input and JSON output for the commands.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace torvik::cli {

// The file's bytes; "-" reads standard input. A ToolFailure when it cannot be read.
std::string readTextFile(const std::string& path);

// Prints the JSON on stdout, indented unless `compact`, followed by a line feed.
void printJson(const nlohmann::ordered_json& value, bool compact);

// Prints a JSON text as printJson does; text that does not parse is printed as it is.
void printJsonText(const std::string& text, bool compact);

}  // namespace torvik::cli
