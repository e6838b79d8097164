// The file operations the library needs, one implementation per platform.
#pragma once

#include <memory>
#include <string>

namespace devlib_instr {

class AbstractFilesystem {
public:
    virtual ~AbstractFilesystem() = default;
    // Deletes the file at the path; true on success. Never raises.
    virtual bool remove(const std::u16string& path) = 0;
    // True when a file or directory exists at the path. Never raises.
    virtual bool exists(const std::u16string& path) = 0;
};

// The platform's file system (POSIX calls on Linux, DeleteFileW / PathFileExistsW on Windows).
std::unique_ptr<AbstractFilesystem> makeFilesystem();

}  // namespace devlib_instr
