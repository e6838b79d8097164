// The detector's configuration database: twenty fixed sections, each at a fixed address with a
// 16-bit checksum in its last two bytes, and the widths of the value kinds stored inside them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace devlib_instr {

struct SectionInfo {
    uint32_t address;
    uint32_t size;
    uint32_t checksumOffset;

    friend bool operator<(const SectionInfo& a, const SectionInfo& b) { return a.address < b.address; }
    friend bool operator==(const SectionInfo& a, const SectionInfo& b) = default;
};

// A located value has no address.
constexpr uint32_t noAddress = 0xFFFFFFFF;
constexpr uint32_t sectionStep = 0x01000000;  // section n starts at n << 24
constexpr uint32_t blockSize = 256;           // the largest transfer of one memory request

// Section start addresses.
namespace section {
constexpr uint32_t deviceConfiguration = 0x04000000;
constexpr uint32_t ecSensorRecord0 = 0x05000000;          // channels 0 ... 5
constexpr uint32_t irSensorRecord0 = 0x0B000000;          // IR indices 0, 1
constexpr uint32_t ecChannelConfiguration0 = 0x0D000000;  // channels 0 ... 5
constexpr uint32_t catExChannelConfiguration = 0x13000000;
constexpr uint32_t irChannelConfiguration0 = 0x13000000;  // shares its block with the CatEx configuration
constexpr uint32_t irChannelConfiguration1 = 0x14000000;
constexpr uint32_t irSensorDataSet = 0x17000000;
constexpr uint32_t catExSensorRecord = 0x19000000;
}  // namespace section

namespace detail {
// A section sealed in its last two bytes.
constexpr SectionInfo sealed(uint32_t address, uint32_t size) {
    return {address, size, size - 2};
}
constexpr uint32_t nth(uint32_t first, uint32_t index) {
    return first + index * sectionStep;
}
}  // namespace detail

// The twenty rows, in the order lookups walk them.
inline constexpr std::array<SectionInfo, 20> sectionTable{{
    detail::sealed(section::deviceConfiguration, 256),
    detail::sealed(detail::nth(section::ecSensorRecord0, 0), 768),
    detail::sealed(detail::nth(section::ecSensorRecord0, 1), 768),
    detail::sealed(detail::nth(section::ecSensorRecord0, 2), 768),
    detail::sealed(detail::nth(section::ecSensorRecord0, 3), 768),
    detail::sealed(detail::nth(section::ecSensorRecord0, 4), 768),
    detail::sealed(detail::nth(section::ecSensorRecord0, 5), 768),
    detail::sealed(detail::nth(section::irSensorRecord0, 0), 768),
    detail::sealed(detail::nth(section::irSensorRecord0, 1), 768),
    detail::sealed(detail::nth(section::ecChannelConfiguration0, 0), 256),
    detail::sealed(detail::nth(section::ecChannelConfiguration0, 1), 256),
    detail::sealed(detail::nth(section::ecChannelConfiguration0, 2), 256),
    detail::sealed(detail::nth(section::ecChannelConfiguration0, 3), 256),
    detail::sealed(detail::nth(section::ecChannelConfiguration0, 4), 256),
    detail::sealed(detail::nth(section::ecChannelConfiguration0, 5), 256),
    detail::sealed(section::catExChannelConfiguration, 256),
    detail::sealed(section::irChannelConfiguration0, 256),
    detail::sealed(section::irChannelConfiguration1, 256),
    detail::sealed(section::irSensorDataSet, 512),
    detail::sealed(section::catExSensorRecord, 1536),
}};

// How a located value is stored, by kind number. The keys use kinds 1, 2, 3, 8 and 9; kinds 4 to
// 7 name no key's value but have widths of their own (4, 1, 2 and 4 bytes).
enum class ValueKind : uint8_t {
    None = 0,   // no location: 0 bytes
    Float = 1,  // 32-bit IEEE-754 float
    Byte = 2,   // an unsigned byte or a byte of flag bits
    Word = 3,   // an unsigned 16-bit word or a word of flag bits
    Text4 = 8,  // a text of up to 4 bytes
    Text7 = 9,  // a text of up to 7 bytes
};
inline constexpr std::array<uint8_t, 10> valueKindWidths{0, 4, 1, 2, 4, 1, 2, 4, 4, 7};

// The first row that holds the whole range [address, address + length), or null.
const SectionInfo* findSection(uint32_t address, uint32_t length);

// Bytes of a value kind; 0 for kind 0 and kinds beyond the table (no location).
uint32_t valueKindWidth(ValueKind kind);

// The complement of the byte sum of image[0 .. checksumOffset).
uint16_t sectionChecksum(const SectionInfo& info, const std::vector<uint8_t>& image);

// The checksum stored little-endian at checksumOffset (0 when the image is too short to hold it).
uint16_t storedChecksum(const SectionInfo& info, const std::vector<uint8_t>& image);

// Writes the checksum little-endian at checksumOffset. Raises when info is null or the image
// does not have the section's size.
void sealSection(const SectionInfo* info, std::vector<uint8_t>& image);

// EC sensor records of channels 0 ... 5.
bool isEcSensorRecord(uint32_t address);
// The records that are never read in bulk (IR sensor records, CatEx sensor record).
bool isLargeSensorRecord(uint32_t address);

// Section starts of the per-channel families; they check the channel or IR index.
uint32_t ecSensorRecordAddress(uint32_t channel);
uint32_t ecChannelConfigurationAddress(uint32_t channel);
uint32_t irSensorRecordAddress(uint32_t irIndex);
uint32_t irChannelConfigurationAddress(uint32_t irIndex);

}  // namespace devlib_instr
