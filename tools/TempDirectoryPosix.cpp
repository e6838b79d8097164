#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "ErrorReport.hpp"
#include "TempDirectory.hpp"

namespace torvik::cli {

TempDirectory::TempDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/torvik-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw ToolFailure("cannot make a temporary directory from " + pattern + ": " + std::strerror(errno));
    }
    path_ = pattern;
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace torvik::cli
