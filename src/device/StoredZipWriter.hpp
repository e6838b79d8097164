// A ZIP writer of our own for platforms without minizip (Windows): every entry is stored
// uncompressed, so a local header, the bytes as given and a central-directory record are all an
// entry needs; the CRC-32 comes from zlib. No ZIP64: an archive stays below 4 GiB and 65535 entries
// (a datalog archive holds a few megabytes in at most seven entries).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "device/AbstractZipWriter.hpp"

namespace devlib_instr {

class StoredZipWriter final : public AbstractZipWriter {
public:
    StoredZipWriter() = default;
    StoredZipWriter(const StoredZipWriter&) = delete;
    StoredZipWriter& operator=(const StoredZipWriter&) = delete;

    bool open(StagedFile& file) override;
    bool addEntry(const std::string& name, const std::vector<uint8_t>& data, std::time_t modified) override;
    bool close() override;

private:
    // What the central directory repeats of each entry's local header.
    struct EntryRecord {
        std::string name;
        uint16_t dosTime;
        uint16_t dosDate;
        uint32_t crc;
        uint32_t size;
        uint32_t headerOffset;
    };

    bool append(const std::vector<uint8_t>& bytes);

    StagedFile* file_ = nullptr;
    uint64_t written_ = 0;  // bytes in the file so far: the offset of the next header
    std::vector<EntryRecord> entries_;
};

}  // namespace devlib_instr
