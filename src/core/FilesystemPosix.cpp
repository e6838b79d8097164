// The file system on POSIX platforms: paths are converted to UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include "core/AbstractFilesystem.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {
namespace {

class PosixFilesystem final : public AbstractFilesystem {
public:
    bool remove(const std::u16string& path) override { return ::unlink(toUtf8(path).c_str()) == 0; }
    bool exists(const std::u16string& path) override {
        struct stat info {};
        return ::stat(toUtf8(path).c_str(), &info) == 0;
    }
};

}  // namespace

std::unique_ptr<AbstractFilesystem> makeFilesystem() {
    return std::make_unique<PosixFilesystem>();
}

}  // namespace devlib_instr
