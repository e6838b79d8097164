// A private directory below $TMPDIR (or /tmp), removed with everything in it when it goes out of
// scope.
#pragma once

#include <filesystem>

namespace torvik::cli {

class TempDirectory {
public:
    TempDirectory();  // a ToolFailure when it cannot be made
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace torvik::cli
