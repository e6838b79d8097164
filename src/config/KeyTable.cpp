#include "config/KeyTable.hpp"

#include <algorithm>
#include <array>

#include "config/ConfigError.hpp"
#include "config/DatabaseLayout.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

namespace {

using E = Encoding;
using F = SectionFamily;

constexpr Field u8{2, E::Unsigned, 0};
constexpr Field u16{3, E::Unsigned, 0};
constexpr Field real{1, E::Float, 0};
constexpr Field text4{8, E::Text, 0};
constexpr Field text7{9, E::Text, 0};
constexpr Field byteBit(uint16_t mask) {
    return {2, E::Bit, mask};
}
constexpr Field wordBit(uint16_t mask) {
    return {3, E::Bit, mask};
}

constexpr std::array<DeviceKeySpec, 12> deviceKeys{{
    {1, u16, 26, true},                             // bump test interval, days
    {3, {2, E::BumptestReaction, 0}, 18, true},     // bump test expiration reaction
    {4, u8, 65, true},                              // bump test warning period
    {5, {2, E::CalibrationReaction, 0}, 47, true},  // calibration expiration reaction
    {6, u8, 66, true},                              // calibration warning period
    {8, byteBit(0x02), 45, true},                   // life signal: horn
    {9, byteBit(0x01), 45, true},                   // life signal: LED
    {10, {2, E::SwitchOff, 0}, 38, true},           // switch-off rule
    {11, wordBit(0x0001), 60, true},                // quick menu: fresh-air calibration
    {12, wordBit(0x0002), 60, true},                // quick menu: bump test
    {16, wordBit(0x0004), 60, true},                // quick menu: clear shift peak
    {30, u16, 30, false},                           // kept per device, not part of the document
}};

constexpr Place ecCfg(uint16_t offset) {
    return {F::EcChannelConfiguration, offset};
}
constexpr Place ecRec(uint16_t offset) {
    return {F::EcSensorRecord, offset};
}
constexpr Place catCfg(uint16_t offset) {
    return {F::CatExChannelConfiguration, offset};
}
constexpr Place catRec(uint16_t offset) {
    return {F::CatExSensorRecord, offset};
}
constexpr Place irCfg(uint16_t offset) {
    return {F::IrChannelConfiguration, offset};
}
constexpr Place irRec(uint16_t offset) {
    return {F::IrSensorRecord, offset};
}
constexpr Place irSet(uint16_t offset) {
    return {F::IrSensorDataSet, offset};
}
constexpr Place none{};

constexpr std::array<ChannelKeySpec, 28> channelKeys{{
    {31, u16, ecCfg(44), catCfg(52), irCfg(56), false, true},           // calibration interval, days
    {36, text7, ecRec(0), catRec(0), irSet(0), false, false},           // sensor part number
    {37, text7, none, none, irSet(28), false, false},                   // sensor data set part number
    {38, u8, ecRec(21), catRec(21), irSet(35), false, false},           // sensor data set version
    {40, text4, ecCfg(0), catCfg(0), irCfg(0), false, false},           // measured gas
    {41, u8, ecCfg(16), catCfg(16), irCfg(28), false, false},           // measuring unit
    {42, real, ecCfg(32), none, irCfg(44), true, true},                 // STEL level
    {47, byteBit(0x02), ecCfg(37), catCfg(37), irCfg(49), true, true},  // STEL enabled
    {48, real, ecCfg(28), none, irCfg(40), true, true},                 // TWA level
    {53, byteBit(0x01), ecCfg(37), catCfg(37), irCfg(49), true, true},  // TWA enabled
    // Lower alarms: part of a write document, but without a place in the database.
    {54, real, none, none, none, false, true},
    {56, u8, none, none, none, false, true},
    {57, u8, none, none, none, false, true},
    {58, u8, none, none, none, false, true},
    {60, real, none, none, none, false, true},
    {62, u8, none, none, none, false, true},
    {63, u8, none, none, none, false, true},
    {64, u8, none, none, none, false, true},
    {66, real, ecCfg(20), catCfg(28), irCfg(32), false, true},           // A1 level
    {68, byteBit(0x10), ecCfg(36), catCfg(36), irCfg(48), false, true},  // A1 acknowledgeable
    {69, byteBit(0x20), ecCfg(36), catCfg(36), irCfg(48), false, true},  // A1 latching
    {70, byteBit(0x01), ecCfg(36), catCfg(36), irCfg(48), false, true},  // A1 rising
    {72, real, ecCfg(24), catCfg(32), irCfg(36), false, true},           // A2 level
    {74, byteBit(0x40), ecCfg(36), catCfg(36), irCfg(48), false, true},  // A2 acknowledgeable
    {75, byteBit(0x80), ecCfg(36), catCfg(36), irCfg(48), false, true},  // A2 latching
    {76, byteBit(0x04), ecCfg(36), catCfg(36), irCfg(48), false, true},  // A2 rising
    {84, real, ecCfg(56), catCfg(20), irCfg(20), false, false},          // lower explosive limit, ppm
    {85, real, ecRec(480), catRec(416), irRec(36), false, false},        // molar mass, g/mol
}};

template <class Table>
auto findKey(const Table& table, ConfigurationKey key) -> decltype(&table[0]) {
    auto it = std::find_if(table.begin(), table.end(), [key](const auto& row) { return row.key == key; });
    return it != table.end() ? &*it : nullptr;
}

uint32_t irIndexOf(uint32_t channel) {
    if (channel > 5) throw configFailure(msg::invalidSensorNumber);
    return channel - 4;  // wraps for channels below 4, which the IR accessors refuse
}

uint32_t sectionStart(SectionFamily family, uint32_t channel) {
    switch (family) {
        case F::DeviceConfiguration:
            return section::deviceConfiguration;
        case F::EcChannelConfiguration:
            return ecChannelConfigurationAddress(channel);
        case F::EcSensorRecord:
            return ecSensorRecordAddress(channel);
        case F::CatExChannelConfiguration:
            return section::catExChannelConfiguration;
        case F::CatExSensorRecord:
            return section::catExSensorRecord;
        case F::IrChannelConfiguration:
            return irChannelConfigurationAddress(irIndexOf(channel));
        case F::IrSensorRecord:
            return irSensorRecordAddress(irIndexOf(channel));
        case F::IrSensorDataSet:
            irIndexOf(channel);
            return section::irSensorDataSet;
        case F::None:
            break;
    }
    return noAddress;
}

Place placeFor(const ChannelKeySpec& row, SensorKind kind) {
    switch (kind) {
        case SensorKind::EC:
            return row.ec;
        case SensorKind::CatEx:
            return row.catEx;
        case SensorKind::IR:
            return row.ir;
        default:
            return none;
    }
}

}  // namespace

const DeviceKeySpec* deviceKeySpec(ConfigurationKey key) {
    return findKey(deviceKeys, key);
}

const ChannelKeySpec* channelKeySpec(ConfigurationKey key) {
    return findKey(channelKeys, key);
}

const Field* fieldOf(ConfigurationKey key) {
    if (const DeviceKeySpec* row = deviceKeySpec(key)) return &row->field;
    if (const ChannelKeySpec* row = channelKeySpec(key)) return &row->field;
    return nullptr;
}

bool isWritableKey(ConfigurationKey key) {
    if (const DeviceKeySpec* row = deviceKeySpec(key)) return row->writable;
    if (const ChannelKeySpec* row = channelKeySpec(key)) return row->writable;
    return false;
}

Location locateKey(ConfigurationKey key, uint32_t channel, const ChannelMap& channels) {
    if (const DeviceKeySpec* row = deviceKeySpec(key))
        return {row->field.kind, section::deviceConfiguration + row->offset};
    const ChannelKeySpec* row = channelKeySpec(key);
    if (key >= firstChannelKey && key <= lastKey && channel >= channelCount)
        throw configError(ErrorCode::ConversionFailed, msg::channelNumberOutOfRange);
    if (row == nullptr) return {0, noAddress};
    if (row->classZeroOnly && channels.channelClass(channel) != 0) return {row->field.kind, noAddress};
    const Place place = placeFor(*row, channels.kind(channel));
    if (place.family == F::None) return {row->field.kind, noAddress};
    return {row->field.kind, sectionStart(place.family, channel) + place.offset};
}

KeyLocation locateKey(ConfigurationKey key, const std::vector<uint8_t>& channelList, const ChannelMap& channels) {
    KeyLocation location;
    for (uint8_t channel : channelList) {
        const Location one = locateKey(key, channel, channels);
        location.kinds.push_back(one.kind);
        location.addresses.push_back(one.address);
    }
    return location;
}

}  // namespace devlib_instr
