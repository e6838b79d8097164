// Reading one entry of a ZIP archive (the datalog archives the library writes).
#pragma once

#include <string>

namespace torvik::cli {

// The bytes of entry `name`; a ToolFailure when the archive or the entry cannot be read.
std::string readArchiveEntry(const std::string& archive, const std::string& name);

}  // namespace torvik::cli
