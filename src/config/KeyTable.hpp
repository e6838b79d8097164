// Where every configuration key lives in the database: one table of device keys and one of
// channel keys (a place per sensor kind). Locating, reading and writing values all go through
// these two tables.
#pragma once

#include <cstdint>
#include <vector>

#include "config/ChannelMap.hpp"
#include "config/ConfigurationData.hpp"

namespace devlib_instr {

// How a value sits inside its field.
enum class Encoding : uint8_t {
    Unsigned,             // little-endian unsigned number of the field's width
    Float,                // little-endian IEEE-754 single
    Text,                 // bytes up to the field's width or a zero byte
    Bit,                  // the mask's bits set: 1, else 0
    BumptestReaction,     // flag byte of key 3
    CalibrationReaction,  // flag byte of key 5
    SwitchOff,            // flag byte of key 10
};

struct Field {
    uint8_t kind;  // value kind (gives the width)
    Encoding encoding;
    uint16_t mask;  // Bit: the bit(s) of the value
};

enum class SectionFamily : uint8_t {
    None,
    DeviceConfiguration,
    EcChannelConfiguration,
    EcSensorRecord,
    CatExChannelConfiguration,
    CatExSensorRecord,
    IrChannelConfiguration,
    IrSensorRecord,
    IrSensorDataSet,
};

struct Place {
    SectionFamily family = SectionFamily::None;
    uint16_t offset = 0;
};

struct DeviceKeySpec {
    ConfigurationKey key;
    Field field;
    uint16_t offset;  // inside the device configuration section
    bool writable;
};

struct ChannelKeySpec {
    ConfigurationKey key;
    Field field;
    Place ec;
    Place catEx;
    Place ir;
    bool classZeroOnly;  // alarm settings that only channels of class 0 have
    bool writable;
};

const DeviceKeySpec* deviceKeySpec(ConfigurationKey key);
const ChannelKeySpec* channelKeySpec(ConfigurationKey key);
// The field of a key with a table row, or null.
const Field* fieldOf(ConfigurationKey key);
// Keys the write sequence may encode into the database.
bool isWritableKey(ConfigurationKey key);

struct Location {
    uint8_t kind;
    uint32_t address;  // noAddress when the key has no place for this channel's sensor
};

// Device keys ignore the channel. Channel keys need a channel 0 ... 5 ("Channel number is out of
// range", code 18, otherwise).
Location locateKey(ConfigurationKey key, uint32_t channel, const ChannelMap& channels);

// One entry per channel, in the order given.
struct KeyLocation {
    std::vector<uint8_t> kinds;
    std::vector<uint32_t> addresses;
};
KeyLocation locateKey(ConfigurationKey key, const std::vector<uint8_t>& channelList, const ChannelMap& channels);

}  // namespace devlib_instr
