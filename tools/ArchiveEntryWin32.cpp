// Windows has no minizip: the library's own writer there stores its entries uncompressed, so
// reading an entry takes the ZIP's central directory, the entry's local header and a CRC check.
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "ArchiveEntry.hpp"
#include "ErrorReport.hpp"
#include "FilePath.hpp"

namespace torvik::cli {

namespace {

constexpr uint32_t localHeaderSignature = 0x04034b50;
constexpr uint32_t centralHeaderSignature = 0x02014b50;
constexpr uint32_t endOfDirectorySignature = 0x06054b50;
constexpr size_t endOfDirectorySize = 22;
constexpr size_t centralHeaderSize = 46;
constexpr size_t localHeaderSize = 30;
constexpr size_t longestComment = 0xFFFF;
constexpr uint16_t storedMethod = 0;

// Little-endian fields of the archive's bytes; reading past the end gives std::out_of_range.
class Bytes {
public:
    explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
    uint32_t u16(size_t at) const { return byte(at) | byte(at + 1) << 8; }
    uint32_t u32(size_t at) const { return u16(at) | u16(at + 2) << 16; }
    std::string_view text(size_t at, size_t size) const {
        if (at > bytes_.size() || bytes_.size() - at < size) throw std::out_of_range("zip");
        return bytes_.substr(at, size);
    }
    size_t size() const { return bytes_.size(); }

private:
    uint32_t byte(size_t at) const { return static_cast<unsigned char>(bytes_.at(at)); }
    std::string_view bytes_;
};

// The offset of the end-of-central-directory record, searched from the end (a comment may follow).
size_t endOfDirectory(const Bytes& zip) {
    if (zip.size() < endOfDirectorySize) throw std::out_of_range("zip");
    const size_t last = zip.size() - endOfDirectorySize;
    for (size_t at = last + 1; at-- > 0 && last - at <= longestComment;)
        if (zip.u32(at) == endOfDirectorySignature) return at;
    throw std::out_of_range("zip");
}

// The stored entry `name`; empty optional when the archive has none of that name.
std::optional<std::string> storedEntry(const Bytes& zip, std::string_view name) {
    const size_t end = endOfDirectory(zip);
    const uint32_t count = zip.u16(end + 10);
    size_t at = zip.u32(end + 16);
    for (uint32_t i = 0; i < count; ++i) {
        if (zip.u32(at) != centralHeaderSignature) throw std::out_of_range("zip");
        const uint32_t nameLength = zip.u16(at + 28);
        const size_t next = at + centralHeaderSize + nameLength + zip.u16(at + 30) + zip.u16(at + 32);
        if (zip.text(at + centralHeaderSize, nameLength) != name) {
            at = next;
            continue;
        }
        const uint32_t method = zip.u16(at + 10), crc = zip.u32(at + 16), size = zip.u32(at + 20);
        const size_t local = zip.u32(at + 42);
        if (method != storedMethod || zip.u32(local) != localHeaderSignature) throw std::out_of_range("zip");
        const std::string_view data =
            zip.text(local + localHeaderSize + zip.u16(local + 26) + zip.u16(local + 28), size);
        const auto* bytes = reinterpret_cast<const Bytef*>(data.data());
        if (crc32(crc32(0L, Z_NULL, 0), bytes, static_cast<uInt>(data.size())) != crc) throw std::out_of_range("zip");
        return std::string(data);
    }
    return std::nullopt;
}

}  // namespace

std::string readArchiveEntry(const std::string& archive, const std::string& name) {
    std::ifstream file(filePath(archive), std::ios::binary);
    if (!file) throw ToolFailure("cannot open the archive " + archive);
    const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::optional<std::string> entry;
    try {
        entry = storedEntry(Bytes(content), name);
    } catch (const std::out_of_range&) {
        throw ToolFailure("cannot read " + name + " in " + archive);
    }
    if (!entry) throw ToolFailure("cannot find " + name + " in " + archive);
    return *entry;
}

}  // namespace torvik::cli
