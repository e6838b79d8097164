#include "device/StoredZipWriter.hpp"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "core/LittleEndian.hpp"
#include "device/TimeZone.hpp"

namespace devlib_instr {
namespace {

constexpr uint32_t localHeaderSignature = 0x04034b50;
constexpr uint32_t centralHeaderSignature = 0x02014b50;
constexpr uint32_t endOfDirectorySignature = 0x06054b50;
constexpr uint16_t versionNeeded = 10;     // 1.0: stored entries, no extensions
constexpr uint16_t versionMadeBy = 20;     // 2.0, MS-DOS attribute compatibility (host 0)
constexpr uint16_t utf8NameFlag = 0x0800;  // general-purpose bit 11: the name is UTF-8
constexpr uint16_t storedMethod = 0;
constexpr uint64_t maxOffset = std::numeric_limits<uint32_t>::max();
constexpr size_t maxEntries = std::numeric_limits<uint16_t>::max();
constexpr size_t maxNameLength = std::numeric_limits<uint16_t>::max();

// A ZIP record built field by field; numbers are little-endian.
class Record {
public:
    Record& u16(uint16_t value) {
        appendLittleEndian(bytes, value, 2);
        return *this;
    }
    Record& u32(uint32_t value) {
        appendLittleEndian(bytes, value, 4);
        return *this;
    }
    Record& text(const std::string& value) {
        bytes.insert(bytes.end(), value.begin(), value.end());
        return *this;
    }
    std::vector<uint8_t> bytes;
};

// MS-DOS date and time fields (local time, two-second resolution); the format begins in 1980, so
// earlier times are written as 1980-01-01 00:00:00.
struct DosTimestamp {
    uint16_t time;
    uint16_t date;
};

DosTimestamp dosTimestamp(std::time_t modified) {
    const std::tm local = brokenDownTime(modified, TimeMode::Local);
    if (local.tm_year < 80) return {0, (1 << 5) | 1};
    const int year = local.tm_year - 80 > 127 ? 127 : local.tm_year - 80;
    return {static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2)),
            static_cast<uint16_t>((year << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday)};
}

bool isAscii(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

uint16_t nameFlags(const std::string& name) {
    return isAscii(name) ? 0 : utf8NameFlag;
}

uint32_t crcOf(const std::vector<uint8_t>& data) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most uInt bytes per call; entries are below 4 GiB, but stay general.
    size_t done = 0;
    while (done < data.size()) {
        const size_t chunk = std::min<size_t>(data.size() - done, std::numeric_limits<uInt>::max());
        crc = crc32(crc, data.data() + done, static_cast<uInt>(chunk));
        done += chunk;
    }
    return static_cast<uint32_t>(crc);
}

}  // namespace

bool StoredZipWriter::open(StagedFile& file) {
    file_ = &file;
    entries_.clear();
    written_ = 0;
    return file_->seek(0);
}

bool StoredZipWriter::append(const std::vector<uint8_t>& bytes) {
    if (!file_->write(bytes.data(), bytes.size())) return false;
    written_ += bytes.size();
    return true;
}

bool StoredZipWriter::addEntry(const std::string& name, const std::vector<uint8_t>& data, std::time_t modified) {
    if (file_ == nullptr || entries_.size() >= maxEntries || name.size() > maxNameLength) return false;
    if (written_ + data.size() + name.size() + 30 > maxOffset) return false;

    const DosTimestamp stamp = dosTimestamp(modified);
    const EntryRecord entry{
        name, stamp.time, stamp.date, crcOf(data), static_cast<uint32_t>(data.size()), static_cast<uint32_t>(written_)};
    Record header;
    header.u32(localHeaderSignature).u16(versionNeeded).u16(nameFlags(name)).u16(storedMethod);
    header.u16(entry.dosTime).u16(entry.dosDate).u32(entry.crc).u32(entry.size).u32(entry.size);
    header.u16(static_cast<uint16_t>(name.size())).u16(0).text(name);
    if (!append(header.bytes) || !append(data)) return false;
    entries_.push_back(entry);
    return true;
}

bool StoredZipWriter::close() {
    if (file_ == nullptr) return true;
    const uint64_t directoryOffset = written_;
    Record directory;
    for (const EntryRecord& entry : entries_) {
        directory.u32(centralHeaderSignature).u16(versionMadeBy).u16(versionNeeded).u16(nameFlags(entry.name));
        directory.u16(storedMethod).u16(entry.dosTime).u16(entry.dosDate).u32(entry.crc).u32(entry.size);
        directory.u32(entry.size).u16(static_cast<uint16_t>(entry.name.size()));
        directory.u16(0).u16(0).u16(0).u16(0).u32(0);  // extra, comment, disk, internal and external attributes
        directory.u32(entry.headerOffset).text(entry.name);
    }
    const uint64_t directorySize = directory.bytes.size();
    const auto count = static_cast<uint16_t>(entries_.size());
    directory.u32(endOfDirectorySignature).u16(0).u16(0).u16(count).u16(count);
    directory.u32(static_cast<uint32_t>(directorySize)).u32(static_cast<uint32_t>(directoryOffset)).u16(0);

    const bool fits = directoryOffset + directory.bytes.size() <= maxOffset;
    const bool ok = fits && append(directory.bytes);
    file_ = nullptr;
    entries_.clear();
    return ok;
}

}  // namespace devlib_instr
