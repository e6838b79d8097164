// A file written under a temporary name beside its final path and published there only once it is
// complete and on stable storage, so that a crash, a kill or a power cut at any moment never
// leaves a partial file under the final name. One implementation per platform.
//
// The temporary name is the final path followed by ".partial". It is created exclusively, never
// through a link placed there, and held exclusively while it is written (an advisory lock on
// POSIX, no sharing on Windows): one left by a crash (nobody holds it) is replaced, one another
// run is writing is not. Publishing never replaces a file that appeared under the final name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace devlib_instr {

class StagedFile {
public:
    static constexpr char16_t temporarySuffix[] = u".partial";

    // How the last failed operation failed: the system's reason, and whether it was the final
    // name that already existed.
    struct Failure {
        std::string reason;
        bool finalPathExists = false;
    };

    // Removes the temporary file unless it was published.
    virtual ~StagedFile() = default;

    // Writes at the current position and advances it; false on failure.
    bool write(const uint8_t* data, size_t size) {
        if (!writeAt(position_, data, size)) return false;
        position_ += size;
        if (position_ > size_) size_ = position_;
        return true;
    }
    // Moves the position (a later write past the end leaves zeros between).
    bool seek(uint64_t position) {
        position_ = position;
        return true;
    }
    uint64_t position() const { return position_; }
    uint64_t size() const { return size_; }

    // Flushes the file to stable storage, closes it, renames it to the final path unless something
    // exists there, then flushes the directory entry; false on failure (the file is then removed).
    virtual bool publish() = 0;

    const Failure& failure() const { return failure_; }

protected:
    // Writes all `size` bytes at `offset`; false, with the failure noted, when it cannot.
    virtual bool writeAt(uint64_t offset, const uint8_t* data, size_t size) = 0;

    Failure failure_;

private:
    uint64_t position_ = 0;
    uint64_t size_ = 0;
};

// Creates the temporary file for `path`; null with the reason in `failure` when it cannot.
std::unique_ptr<StagedFile> createStagedFile(const std::u16string& path, StagedFile::Failure& failure);

}  // namespace devlib_instr
