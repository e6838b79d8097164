#include <windows.h>

#include <string>
#include <system_error>

#include "ErrorReport.hpp"
#include "FilePath.hpp"
#include "TempDirectory.hpp"

namespace torvik::cli {

namespace {
constexpr int namesTried = 100;
}  // namespace

// Below the user's temporary directory (GetTempPathW: TMP, TEMP, USERPROFILE), under a name made
// of the process ID and a counter; a name that exists is skipped.
TempDirectory::TempDirectory() {
    std::error_code failed;
    const std::filesystem::path base = std::filesystem::temp_directory_path(failed);
    if (failed) throw ToolFailure("cannot find the temporary directory: " + failed.message());
    const std::string stem = "torvik-" + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < namesTried; ++attempt) {
        std::filesystem::path candidate = base / (stem + std::to_string(attempt));
        if (std::filesystem::create_directory(candidate, failed)) {
            path_ = std::move(candidate);
            return;
        }
        if (failed) break;
    }
    throw ToolFailure("cannot make a temporary directory in " + utf8Name(base) + ": " +
                      (failed ? failed.message() : "every name is taken"));
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace torvik::cli
