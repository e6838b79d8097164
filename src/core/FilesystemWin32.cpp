// The file system on Windows: DeleteFileW and PathFileExistsW on the wide path.
#include <windows.h>
// shlwapi.h needs the declarations of windows.h
#include <shlwapi.h>

#include "core/AbstractFilesystem.hpp"
#include "core/Win32Path.hpp"

namespace devlib_instr {
namespace {

class Win32Filesystem final : public AbstractFilesystem {
public:
    bool remove(const std::u16string& path) override { return DeleteFileW(win32Path(path)) != 0; }
    bool exists(const std::u16string& path) override { return PathFileExistsW(win32Path(path)) != 0; }
};

}  // namespace

std::unique_ptr<AbstractFilesystem> makeFilesystem() {
    return std::make_unique<Win32Filesystem>();
}

}  // namespace devlib_instr
