// The staged file on Windows: CreateFileW with CREATE_NEW and no sharing for the temporary file,
// FlushFileBuffers, and MoveFileExW with MOVEFILE_WRITE_THROUGH and without
// MOVEFILE_REPLACE_EXISTING, so the rename is on disk when it returns and never replaces a file.
#include <windows.h>

#include <algorithm>

#include "core/MessageCatalogue.hpp"
#include "core/StagedFile.hpp"
#include "core/TextConversion.hpp"
#include "core/Win32Path.hpp"

namespace devlib_instr {
namespace {

std::string systemReason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string reason(reinterpret_cast<const char16_t*>(text), length);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == u'\r' || reason.back() == u'\n' || reason.back() == u'.'))
        reason.pop_back();
    return toUtf8(reason);
}

class Win32StagedFile final : public StagedFile {
public:
    Win32StagedFile(HANDLE file, std::u16string temporary, std::u16string final)
        : file_(file), temporary_(std::move(temporary)), final_(std::move(final)) {}
    ~Win32StagedFile() override { abandon(); }
    Win32StagedFile(const Win32StagedFile&) = delete;
    Win32StagedFile& operator=(const Win32StagedFile&) = delete;

    bool publish() override {
        if (file_ == INVALID_HANDLE_VALUE) return fail(ERROR_INVALID_HANDLE);
        if (!FlushFileBuffers(file_)) return fail(GetLastError());
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        if (MoveFileExW(win32Path(temporary_), win32Path(final_), MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        failure_.finalPathExists = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        failure_.reason = systemReason(error);
        DeleteFileW(win32Path(temporary_));
        return false;
    }

protected:
    bool writeAt(uint64_t position, const uint8_t* data, size_t size) override {
        if (file_ == INVALID_HANDLE_VALUE) return fail(ERROR_INVALID_HANDLE);
        LARGE_INTEGER offset{};
        offset.QuadPart = static_cast<LONGLONG>(position);
        if (!SetFilePointerEx(file_, offset, nullptr, FILE_BEGIN)) return fail(GetLastError());
        size_t done = 0;
        while (done < size) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_, data + done, chunk, &written, nullptr)) return fail(GetLastError());
            if (written == 0) return fail(ERROR_DISK_FULL);
            done += written;
        }
        return true;
    }

private:
    bool fail(DWORD error) {
        failure_.reason = systemReason(error);
        abandon();
        return false;
    }

    // Closes and removes the temporary file unless it was handed over by publish().
    void abandon() {
        if (file_ == INVALID_HANDLE_VALUE) return;
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        DeleteFileW(win32Path(temporary_));
    }

    HANDLE file_;
    std::u16string temporary_;
    std::u16string final_;
};

// Without sharing, nobody else can open the file while it is written, and a file another run
// holds cannot be deleted: only a stale file (or a link, never what it points to) is removed.
HANDLE createExclusive(const std::u16string& temporary) {
    return CreateFileW(win32Path(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::unique_ptr<StagedFile> createStagedFile(const std::u16string& path, StagedFile::Failure& failure) {
    const std::u16string temporary = path + StagedFile::temporarySuffix;
    HANDLE file = createExclusive(temporary);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
        if (!DeleteFileW(win32Path(temporary))) {
            const DWORD error = GetLastError();
            failure.reason = error == ERROR_SHARING_VIOLATION ? msg::stagedFileInUse : systemReason(error);
            return nullptr;
        }
        file = createExclusive(temporary);
    }
    if (file == INVALID_HANDLE_VALUE) {
        failure.reason = systemReason(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32StagedFile>(file, temporary, path);
}

}  // namespace devlib_instr
