// The archive writer on Linux: minizip's zip.h, writing through file functions of its own into
// the staged file. Every entry is stored (method 0), so the section files can be read back byte
// for byte by any ZIP reader.
#include <minizip/ioapi.h>
#include <minizip/zip.h>

#include <cstdint>
#include <ctime>

#include "device/AbstractZipWriter.hpp"
#include "device/TimeZone.hpp"

namespace devlib_instr {

namespace {

zip_fileinfo entryInfo(std::time_t modified) {
    const std::tm local = brokenDownTime(modified, TimeMode::Local);
    zip_fileinfo info{};
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    return info;
}

// minizip's file functions over a staged file: the "stream" is the staged file itself.
StagedFile& staged(voidpf stream) {
    return *static_cast<StagedFile*>(stream);
}

zlib_filefunc64_def stagedFileFunctions(StagedFile& file) {
    zlib_filefunc64_def functions{};
    functions.opaque = &file;
    functions.zopen64_file = [](voidpf opaque, const void*, int) -> voidpf { return opaque; };
    functions.zread_file = [](voidpf, voidpf, void*, uLong) -> uLong { return 0; };
    functions.zwrite_file = [](voidpf, voidpf stream, const void* data, uLong size) -> uLong {
        return staged(stream).write(static_cast<const uint8_t*>(data), size) ? size : 0;
    };
    functions.ztell64_file = [](voidpf, voidpf stream) -> ZPOS64_T { return staged(stream).position(); };
    functions.zseek64_file = [](voidpf, voidpf stream, ZPOS64_T offset, int origin) -> long {
        StagedFile& file = staged(stream);
        const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                              : origin == ZLIB_FILEFUNC_SEEK_CUR ? file.position()
                                                                 : file.size();
        return file.seek(base + offset) ? 0 : -1;
    };
    functions.zclose_file = [](voidpf, voidpf) -> int { return 0; };
    functions.zerror_file = [](voidpf, voidpf) -> int { return 0; };
    return functions;
}

class MinizipZipWriter : public AbstractZipWriter {
public:
    ~MinizipZipWriter() override { close(); }

    bool open(StagedFile& file) override {
        close();
        functions_ = stagedFileFunctions(file);
        zip_ = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions_);
        return zip_ != nullptr;
    }

    bool addEntry(const std::string& name, const std::vector<uint8_t>& data, std::time_t modified) override {
        // Datalog sections are a few megabytes at most; entries beyond 4 GiB are not supported.
        if (zip_ == nullptr || data.size() > UINT32_MAX) return false;
        const zip_fileinfo info = entryInfo(modified);
        constexpr int storedMethod = 0;
        constexpr int noCompression = 0;
        if (zipOpenNewFileInZip64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, storedMethod,
                                  noCompression, 0) != ZIP_OK)
            return false;
        const bool written =
            data.empty() || zipWriteInFileInZip(zip_, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK;
        const bool closed = zipCloseFileInZip(zip_) == ZIP_OK;
        return written && closed;
    }

    bool close() override {
        if (zip_ == nullptr) return true;
        const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
        zip_ = nullptr;
        return closed;
    }

private:
    zlib_filefunc64_def functions_{};
    zipFile zip_ = nullptr;
};

}  // namespace

std::unique_ptr<AbstractZipWriter> makeZipWriter() {
    return std::make_unique<MinizipZipWriter>();
}

}  // namespace devlib_instr
