// The staged file on POSIX platforms: open(O_EXCL | O_NOFOLLOW) and an advisory lock for the
// temporary file, fsync of the file and of its directory, and a rename that never replaces
// (renameat2 with RENAME_NOREPLACE, or link and unlink where a file system lacks it).
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/MessageCatalogue.hpp"
#include "core/StagedFile.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {
namespace {

std::string systemReason(int error) {
    return std::system_category().message(error);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int retryOnInterrupt(auto call) {
    int result = 0;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// The directory entry of a rename is durable only once the directory itself is flushed. Some file
// systems cannot flush a directory (EINVAL); their entries are as durable as they get.
bool syncDirectoryOf(const std::string& path, int& error) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::filesystem::path directory = parent.empty() ? std::filesystem::path(".") : parent;
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    error = errno;
    ::close(fd);
    return synced;
}

// Renames unless something exists at `to`. Where the file system has no RENAME_NOREPLACE, a hard
// link does the same (it fails on an existing name); where it has no hard links either, the check
// and the rename are two steps.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return errno;
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

class PosixStagedFile final : public StagedFile {
public:
    PosixStagedFile(int fd, std::string temporary, std::string final)
        : fd_(fd), temporary_(std::move(temporary)), final_(std::move(final)) {}
    ~PosixStagedFile() override { abandon(); }
    PosixStagedFile(const PosixStagedFile&) = delete;
    PosixStagedFile& operator=(const PosixStagedFile&) = delete;

    bool publish() override {
        if (fd_ < 0) return fail(EBADF);
        if (retryOnInterrupt([this] { return ::fsync(fd_); }) != 0) return fail(errno);
        // A run that took this temporary name for a stale one may have replaced it meanwhile: only
        // the file written here is published.
        if (!stillOurs()) {
            failure_.reason = msg::stagedFileReplaced;
            abandon();
            return false;
        }
        if (const int error = renameNoReplace(temporary_, final_); error != 0) {
            failure_.finalPathExists = error == EEXIST;
            return fail(error);
        }
        published_ = true;
        ::close(fd_);
        fd_ = -1;
        int error = 0;
        if (syncDirectoryOf(final_, error)) return true;
        // Not durable: the final name is taken back (it is the file published here, nothing
        // else can have replaced it), so that the caller's failure leaves no file behind.
        ::unlink(final_.c_str());
        failure_.reason = systemReason(error);
        return false;
    }

protected:
    bool writeAt(uint64_t offset, const uint8_t* data, size_t size) override {
        if (fd_ < 0) return fail(EBADF);
        size_t done = 0;
        while (done < size) {
            const ssize_t written = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return fail(written < 0 ? errno : ENOSPC);
            done += static_cast<size_t>(written);
        }
        return true;
    }

private:
    bool fail(int error) {
        failure_.reason = systemReason(error);
        abandon();
        return false;
    }

    bool stillOurs() const {
        struct stat own {};
        struct stat named {};
        return ::fstat(fd_, &own) == 0 && ::lstat(temporary_.c_str(), &named) == 0 && sameFile(own, named);
    }

    // Removes the temporary file (only the one written here) and closes it.
    void abandon() {
        if (fd_ < 0) return;
        if (!published_ && stillOurs()) ::unlink(temporary_.c_str());
        ::close(fd_);
        fd_ = -1;
    }

    int fd_;
    std::string temporary_;
    std::string final_;
    bool published_ = false;
};

// Clears the way for a new temporary file: a link is removed (never what it points to), a file
// left by a crash (nobody holds its lock) is removed, a file another run is writing stays.
bool removeStale(const std::string& temporary, StagedFile::Failure& failure) {
    struct stat named {};
    if (::lstat(temporary.c_str(), &named) != 0) return errno == ENOENT;
    if (S_ISLNK(named.st_mode)) return ::unlink(temporary.c_str()) == 0 || errno == ENOENT;
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || !sameFile(named, opened)) {
        failure.reason = msg::stagedFileInTheWay;
        if (fd >= 0) ::close(fd);
        return false;
    }
    const bool stale = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale) ::unlink(temporary.c_str());
    ::close(fd);
    if (!stale) failure.reason = msg::stagedFileInUse;
    return stale;
}

int createExclusive(const std::string& temporary) {
    const int fd = retryOnInterrupt(
        [&] { return ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666); });
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    const int error = errno;
    ::unlink(temporary.c_str());
    ::close(fd);
    errno = error;
    return -1;
}

}  // namespace

std::unique_ptr<StagedFile> createStagedFile(const std::u16string& path, StagedFile::Failure& failure) {
    const std::string final = toUtf8(path);
    const std::string temporary = toUtf8(path + StagedFile::temporarySuffix);
    int fd = createExclusive(temporary);
    if (fd < 0 && errno == EEXIST) {
        if (!removeStale(temporary, failure)) return nullptr;
        fd = createExclusive(temporary);
    }
    if (fd < 0) {
        failure.reason = systemReason(errno);
        return nullptr;
    }
    return std::make_unique<PosixStagedFile>(fd, temporary, final);
}

}  // namespace devlib_instr
