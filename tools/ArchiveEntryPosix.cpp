#include "ArchiveEntry.hpp"

#include <unzip.h>

#include <memory>

#include "ErrorReport.hpp"

namespace torvik::cli {

namespace {
struct ArchiveCloser {
    void operator()(void* zip) const { unzClose(zip); }
};
}  // namespace

std::string readArchiveEntry(const std::string& archive, const std::string& name) {
    std::unique_ptr<void, ArchiveCloser> zip(unzOpen64(archive.c_str()));
    std::string where = name + " in " + archive;
    if (!zip) throw ToolFailure("cannot open the archive " + archive);
    unz_file_info64 info{};
    if (unzLocateFile(zip.get(), name.c_str(), 0) != UNZ_OK ||
        unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(zip.get()) != UNZ_OK) {
        throw ToolFailure("cannot find " + where);
    }
    std::string content(info.uncompressed_size, '\0');
    int read =
        content.empty() ? 0 : unzReadCurrentFile(zip.get(), content.data(), static_cast<unsigned>(content.size()));
    bool intact = unzCloseCurrentFile(zip.get()) == UNZ_OK;  // checks the CRC
    if (read != static_cast<int>(content.size()) || !intact) throw ToolFailure("cannot read " + where);
    return content;
}

}  // namespace torvik::cli
