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

inline constexpr std::array<SectionInfo, 20> sectionTable{{
    {0x04000000, 256, 254},                                                    // device configuration
    {0x05000000, 768, 766},   {0x06000000, 768, 766}, {0x07000000, 768, 766},  // EC sensor records
    {0x08000000, 768, 766},   {0x09000000, 768, 766}, {0x0A000000, 768, 766},  //
    {0x0B000000, 768, 766},   {0x0C000000, 768, 766},                          // IR sensor records
    {0x0D000000, 256, 254},   {0x0E000000, 256, 254}, {0x0F000000, 256, 254},  // EC channel configurations
    {0x10000000, 256, 254},   {0x11000000, 256, 254}, {0x12000000, 256, 254},  //
    {0x13000000, 256, 254},                                                    // CatEx channel configuration
    {0x13000000, 256, 254},                                                    // IR channel configuration 0
    {0x14000000, 256, 254},                                                    // IR channel configuration 1
    {0x17000000, 512, 510},                                                    // IR sensor data set
    {0x19000000, 1536, 1534},                                                  // CatEx sensor record
}};

// The first row that holds the whole range [address, address + length), or null.
const SectionInfo* findSection(uint32_t address, uint32_t length);

// Bytes of a value kind; 0 for kind 0 and unknown kinds (no location).
uint32_t valueKindWidth(uint8_t kind);

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
