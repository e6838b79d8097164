// Everything the library knows about a configuration key, in one row per key: where the key sits
// in the document and what JSON value it has there, which value class holds it, its field and
// places in the database, whether a write may change it, the value the document shows when the
// detector does not store it, and the part it plays in unit conversion. The request parser, the
// response builder, the communicator and the unit conversion all read this table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ChannelMap.hpp"
#include "config/ConfigurationData.hpp"
#include "config/DatabaseLayout.hpp"

namespace devlib_instr {

// The first member of a document path: "device" (channel 255), "channels"/n (channel n) or
// "sensors"/s (the sensors of slot s). None: the key has no document path.
enum class DocumentRoot : uint8_t { None, Device, Channels, Sensors };
enum class JsonType : uint8_t { Number, String, Boolean };
using TextList = std::span<const std::string_view>;

// The member names below the root (and its channel or slot member), joined by ".", and the JSON
// value found there.
struct DocumentPlace {
    DocumentRoot root = DocumentRoot::None;
    std::string_view path;
    JsonType type = JsonType::Number;
    TextList texts;  // an enumerated value's texts by index; empty for free values
};

// How a value sits inside its database field.
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
    ValueKind kind = ValueKind::None;  // gives the width
    Encoding encoding = Encoding::Unsigned;
    uint16_t mask = 0;  // Bit: the bit(s) of the value
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

// Where a key's field sits: in the device configuration for device keys, else by the sensor kind
// of the channel. Some alarm settings exist only on channels of class 0.
struct Places {
    Place device;
    Place ec;
    Place catEx;
    Place ir;
    bool classZeroOnly = false;
};

// What a key stands for beyond its own value.
enum class Role : uint8_t {
    None,
    AlarmLevel,           // stored in ppm, shown in the channel's measuring unit
    AlarmUnit,            // shows the channel's measuring unit
    MeasuringUnit,        // gas feature: the channel's unit (an index of the unit table)
    LowerExplosiveLimit,  // gas feature: ppm
    MolarMass,            // gas feature: g/mol
    DisplayIndex,         // from the channel map
    SensorSlot,           // from the channel map
    SensorKind,           // from the channel map
};

struct KeyRow {
    ConfigurationKey key;
    DocumentPlace document;
    ValueClass valueClass;
    Field field;
    Places places;
    bool writable;
    Role role = Role::None;
    int32_t fixed = unsetSigned;  // the value every Torvik has when the detector stores none
};

// Rows for keys 1 ... 85, in key order.
std::span<const KeyRow> keyTable();
// The row of a key; null outside 1 ... 85.
const KeyRow* keyRow(ConfigurationKey key);
ValueClass valueClassOf(ConfigurationKey key);
bool hasRole(ConfigurationKey key, Role role);
// The (first) key with the role.
ConfigurationKey keyWithRole(Role role);

// The row whose document path is `path` below `root`; null when there is none.
const KeyRow* findPath(DocumentRoot root, std::string_view path);
// True when `path` is the path of a row below `root` or a member above such paths ("" is the
// root itself).
bool isPathOrAbove(const KeyRow& row, DocumentRoot root, std::string_view path);

// The member names of a document path, in order.
std::vector<std::string_view> pathMembers(std::string_view path);

// The key's node path in messages, e.g. channels.0.alarms.upper_a1.level (`number` is the
// channel or the sensor slot; unused for device keys).
std::string nodePath(const KeyRow& row, uint8_t number);

struct Location {
    ValueKind kind;
    uint32_t address;  // noAddress when the key has no place for this channel's sensor
};

// Device keys ignore the channel. Channel keys need a channel 0 ... 5 ("Channel number is out of
// range", code 18, otherwise).
Location locateKey(ConfigurationKey key, uint32_t channel, const ChannelMap& channels);

}  // namespace devlib_instr
