// The detector's configuration database: fixed-size sections at fixed addresses (the top address
// byte is the section number), each sealed by a 16-bit checksum in its last two bytes: the
// complement of the byte sum of everything before it, stored little-endian. "AR" reads and "AW"
// writes go through here; a read or write must stay inside one section.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "sim/FrameCodec.hpp"

namespace torvik::sim {

struct DatabaseSection {
    uint32_t address;
    uint32_t size;
};

// The 20 rows of the layout; 0x13000000 stands twice (CatEx or IR index 0 channel configuration
// share one block), so the database holds 19 distinct blocks.
extern const std::array<DatabaseSection, 20> kDatabaseSections;

namespace db {
constexpr uint32_t kDeviceConfig = 0x04000000;
constexpr uint32_t ecSensorRecord(int channel) {
    return 0x05000000u + (static_cast<uint32_t>(channel) << 24);
}
constexpr uint32_t irSensorRecord(int irIndex) {
    return 0x0B000000u + (static_cast<uint32_t>(irIndex) << 24);
}
constexpr uint32_t ecChannelConfig(int channel) {
    return 0x0D000000u + (static_cast<uint32_t>(channel) << 24);
}
constexpr uint32_t kCatExChannelConfig = 0x13000000;
constexpr uint32_t irChannelConfig(int irIndex) {
    return 0x13000000u + (static_cast<uint32_t>(irIndex) << 24);
}
constexpr uint32_t kIrSensorDataSet = 0x17000000;
constexpr uint32_t kCatExSensorRecord = 0x19000000;
}  // namespace db

// How sections are sealed: the complement of the byte sum of every byte before the checksum (the
// rule the library seals by), or of those bytes but the last (a rule another detector might
// follow, for hosts that must refuse to write where the seal does not verify).
enum class SealRule { BytesBeforeChecksum, OneByteShort };

class DatabaseImage {
public:
    // Every section zero-filled and sealed.
    DatabaseImage();

    // The bytes [address, address + length) when they lie inside one section.
    std::optional<Bytes> read(uint32_t address, uint32_t length) const;
    // Writes the bytes when they lie inside one section; false otherwise. Nothing is re-sealed:
    // the writer is responsible for the checksum, as on the device.
    bool write(uint32_t address, const Bytes& data);

    // The whole image of the section that starts at `sectionAddress` (std::out_of_range if none).
    Bytes& section(uint32_t sectionAddress);
    const Bytes& section(uint32_t sectionAddress) const;
    // Replaces a section's image; its size must match the section (std::invalid_argument).
    void load(uint32_t sectionAddress, Bytes image);

    void seal(uint32_t sectionAddress, SealRule rule = SealRule::BytesBeforeChecksum);
    void sealAll(SealRule rule = SealRule::BytesBeforeChecksum);
    // Sealed by the library's rule.
    bool isSealed(uint32_t sectionAddress) const;
    static uint16_t checksumOf(const Bytes& image, SealRule rule = SealRule::BytesBeforeChecksum);

    // Typed access at absolute addresses, little-endian like the device (std::out_of_range when
    // the value does not fit into one section). Setters do not re-seal.
    void setU8(uint32_t address, uint8_t value);
    void setU16(uint32_t address, uint16_t value);
    void setFloat(uint32_t address, float value);
    void setText(uint32_t address, std::string_view text, uint32_t width);  // zero-padded
    uint8_t u8(uint32_t address) const;
    uint16_t u16(uint32_t address) const;
    float floatAt(uint32_t address) const;
    std::string text(uint32_t address, uint32_t width) const;  // up to the first zero byte

private:
    uint8_t* locate(uint32_t address, uint32_t length);
    const uint8_t* locate(uint32_t address, uint32_t length) const;

    std::map<uint32_t, Bytes> sections_;
};

}  // namespace torvik::sim
