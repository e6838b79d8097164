// Reads a ZIP archive back with minizip's unzip.h: every entry in central-directory order with its
// compression method and its (CRC-checked) contents. Shared by the archive and host tests.
#pragma once

#include <minizip/unzip.h>

#include <string>
#include <vector>

namespace torvik_test {

struct ZipEntry {
    std::string name;
    unsigned long method = 0;
    std::string data;
    tm_unz time{};  // the local modification time
};

struct ZipArchive {
    bool opened = false;
    bool intact = true;  // every entry read completely and its CRC matched
    std::vector<ZipEntry> entries;

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const ZipEntry& entry : entries) result.push_back(entry.name);
        return result;
    }
    const ZipEntry* find(const std::string& name) const {
        for (const ZipEntry& entry : entries)
            if (entry.name == name) return &entry;
        return nullptr;
    }
};

inline ZipArchive readZip(const std::string& path) {
    ZipArchive archive;
    unzFile zip = unzOpen64(path.c_str());
    if (zip == nullptr) return archive;
    archive.opened = true;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[512] = {};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            archive.intact = false;
            break;
        }
        ZipEntry entry{name, info.compression_method, std::string(info.uncompressed_size, '\0'), info.tmu_date};
        const int read =
            entry.data.empty() ? 0 : unzReadCurrentFile(zip, entry.data.data(), unsigned(entry.data.size()));
        if (read != int(entry.data.size()) || unzCloseCurrentFile(zip) != UNZ_OK) archive.intact = false;
        archive.entries.push_back(std::move(entry));
    }
    unzClose(zip);
    return archive;
}

}  // namespace torvik_test
