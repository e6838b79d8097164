// The file system on Windows: DeleteFileW and PathFileExistsW on the wide path.
#include <windows.h>
// shlwapi.h needs the declarations of windows.h
#include <shlwapi.h>

#include "core/AbstractFilesystem.hpp"

namespace devlib_instr {
namespace {

const wchar_t* widePath(const std::u16string& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

class Win32Filesystem final : public AbstractFilesystem {
public:
    bool remove(const std::u16string& path) override { return DeleteFileW(widePath(path)) != 0; }
    bool exists(const std::u16string& path) override { return PathFileExistsW(widePath(path)) != 0; }
};

}  // namespace

std::unique_ptr<AbstractFilesystem> makeFilesystem() {
    return std::make_unique<Win32Filesystem>();
}

}  // namespace devlib_instr
