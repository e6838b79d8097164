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
using R = Role;

// Value texts of the enumerated keys, by index.
constexpr std::string_view intervalUnits[] = {"d"};
constexpr std::string_view reactions[] = {"off", "warning", "error"};
constexpr std::string_view switchOffRules[] = {"allowed", "not allowed during a2", "not allowed"};
constexpr std::string_view sensorSlots[] = {"0", "1", "2", "3"};
constexpr std::string_view sensorKinds[] = {"UNKNOWN", "EC", "CatEx", "IR", "PID"};
constexpr std::string_view unitTexts[] = {"%{vol}", "ppm",  "%{ueg}", "%{lel}", "%{lie}", "mg/m3",
                                          "ppb",    "mbar", "hPa",    "kPa",    "mg/L"};
constexpr std::string_view directions[] = {"falling", "rising"};

// The document column.
struct Json {
    JsonType type;
    TextList texts;
};
constexpr Json number{JsonType::Number, {}};
constexpr Json boolean{JsonType::Boolean, {}};
constexpr Json freeText{JsonType::String, {}};
constexpr Json oneOf(TextList texts) {
    return {JsonType::String, texts};
}
constexpr DocumentPlace inDevice(std::string_view path, Json json) {
    return {DocumentRoot::Device, path, json.type, json.texts};
}
constexpr DocumentPlace inChannel(std::string_view path, Json json) {
    return {DocumentRoot::Channels, path, json.type, json.texts};
}
constexpr DocumentPlace inSensor(std::string_view path, Json json) {
    return {DocumentRoot::Sensors, path, json.type, json.texts};
}
constexpr DocumentPlace notInDocument{};

// The value class column.
constexpr ValueClass asSigned = ValueClass::Signed;
constexpr ValueClass asUnsigned = ValueClass::Unsigned;
constexpr ValueClass asFloat = ValueClass::Float;
constexpr ValueClass asText = ValueClass::Text;

// The field column.
constexpr Field noField{};
constexpr Field u8{ValueKind::Byte, E::Unsigned, 0};
constexpr Field u16{ValueKind::Word, E::Unsigned, 0};
constexpr Field real{ValueKind::Float, E::Float, 0};
constexpr Field text4{ValueKind::Text4, E::Text, 0};
constexpr Field text7{ValueKind::Text7, E::Text, 0};
constexpr Field flagByte(Encoding encoding) {
    return {ValueKind::Byte, encoding, 0};
}
constexpr Field byteBit(uint16_t mask) {
    return {ValueKind::Byte, E::Bit, mask};
}
constexpr Field wordBit(uint16_t mask) {
    return {ValueKind::Word, E::Bit, mask};
}

// The places column.
constexpr Place none{};
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
constexpr Places nowhere{};
constexpr Places atDevice(uint16_t offset) {
    return {{F::DeviceConfiguration, offset}, none, none, none};
}
constexpr Places at(Place ec, Place catEx, Place ir) {
    return {none, ec, catEx, ir};
}
constexpr Places classZero(Places places) {
    places.classZeroOnly = true;
    return places;
}
constexpr Places lifeSignal = atDevice(45);
constexpr Places quickMenu = atDevice(60);
constexpr Places stelTwaEnabled = classZero(at(ecCfg(37), catCfg(37), irCfg(49)));
constexpr Places alarmFlags = at(ecCfg(36), catCfg(36), irCfg(48));

// The write column.
constexpr bool RW = true;
constexpr bool RO = false;

constexpr std::array<KeyRow, lastKey> rows{{
    {1, inDevice("bumptest_interval.duration", number), asSigned, u16, atDevice(26), RW},
    {2, inDevice("bumptest_interval.unit", oneOf(intervalUnits)), asSigned, noField, nowhere, RO, R::None, 0},
    {3, inDevice("bumptest_interval.expiration_reaction", oneOf(reactions)), asSigned, flagByte(E::BumptestReaction),
     atDevice(18), RW},
    {4, inDevice("bumptest_interval.warning_period", number), asUnsigned, u8, atDevice(65), RW},
    {5, inDevice("calibration_interval.expiration_reaction", oneOf(reactions)), asSigned,
     flagByte(E::CalibrationReaction), atDevice(47), RW},
    {6, inDevice("calibration_interval.warning_period", number), asUnsigned, u8, atDevice(66), RW},
    {7, inDevice("calibration_interval.unit", oneOf(intervalUnits)), asSigned, noField, nowhere, RO, R::None, 0},
    {8, inDevice("life_signal.use_horn", boolean), asSigned, byteBit(0x02), lifeSignal, RW},
    {9, inDevice("life_signal.use_led", boolean), asSigned, byteBit(0x01), lifeSignal, RW},
    {10, inDevice("switch_off", oneOf(switchOffRules)), asSigned, flagByte(E::SwitchOff), atDevice(38), RW},
    {11, inDevice("quick_menu.do_fresh_air_calibration", boolean), asSigned, wordBit(0x0001), quickMenu, RW},
    {12, inDevice("quick_menu.do_bumptest", boolean), asSigned, wordBit(0x0002), quickMenu, RW},
    {13, inDevice("quick_menu.show_calibration_intervals", boolean), asSigned, noField, nowhere, RO},
    {14, inDevice("quick_menu.show_bumptest_intervals", boolean), asSigned, noField, nowhere, RO},
    {15, inDevice("quick_menu.show_shift_peak", boolean), asSigned, noField, nowhere, RO},
    {16, inDevice("quick_menu.clear_shift_peak", boolean), asSigned, wordBit(0x0004), quickMenu, RW},
    {17, inDevice("quick_menu.show_application_peak", boolean), asSigned, noField, nowhere, RO},
    {18, inDevice("quick_menu.clear_application_peak", boolean), asSigned, noField, nowhere, RO},
    {19, inDevice("quick_menu.show_stev_values", boolean), asSigned, noField, nowhere, RO},
    {20, inDevice("quick_menu.show_twa_values", boolean), asSigned, noField, nowhere, RO},
    {21, inDevice("quick_menu.show_device_info", boolean), asSigned, noField, nowhere, RO},
    {22, inDevice("quick_menu.show_messages", boolean), asSigned, noField, nowhere, RO},
    {23, inDevice("quick_menu.show_usage_period", boolean), asSigned, noField, nowhere, RO},
    {24, inDevice("quick_menu.do_bluetooth_pairing", boolean), asSigned, noField, nowhere, RO},
    {25, inDevice("quick_menu.use_stealth_mode", boolean), asSigned, noField, nowhere, RO},
    {26, inDevice("quick_menu.use_silent_mode", boolean), asSigned, noField, nowhere, RO},
    {27, inDevice("quick_menu.use_night_mode", boolean), asSigned, noField, nowhere, RO},
    {28, inDevice("quick_menu.motionless_toggle", boolean), asSigned, noField, nowhere, RO},
    {29, inDevice("quick_menu.motionless_pause_toggle", boolean), asSigned, noField, nowhere, RO},
    {30, notInDocument, asUnsigned, u16, atDevice(30), RO},  // kept per device

    {31, inChannel("calibration_interval.duration", number), asSigned, u16, at(ecCfg(44), catCfg(52), irCfg(56)), RW},
    {32, inChannel("calibration_interval.unit", oneOf(intervalUnits)), asSigned, noField, nowhere, RO, R::None, 0},
    {33, inChannel("display_index", number), asSigned, noField, nowhere, RO, R::DisplayIndex},
    {34, inChannel("sensor", oneOf(sensorSlots)), asSigned, noField, nowhere, RO, R::SensorSlot},
    {35, inSensor("type", oneOf(sensorKinds)), asSigned, noField, nowhere, RO, R::SensorKind},
    {36, inSensor("part_number", freeText), asText, text7, at(ecRec(0), catRec(0), irSet(0)), RO},
    {37, inChannel("sensor_data_set.part_number", freeText), asText, text7, at(none, none, irSet(28)), RO},
    {38, inChannel("sensor_data_set.version", number), asUnsigned, u8, at(ecRec(21), catRec(21), irSet(35)), RO},
    {39, inChannel("sensor_data_set.suffix", number), asUnsigned, noField, nowhere, RO},
    {40, inChannel("measure_gas.name", freeText), asText, text4, at(ecCfg(0), catCfg(0), irCfg(0)), RO},
    {41, inChannel("measure_gas.unit", oneOf(unitTexts)), asSigned, u8, at(ecCfg(16), catCfg(16), irCfg(28)), RO,
     R::MeasuringUnit},

    {42, inChannel("alarms.stel_a2.level", number), asFloat, real, classZero(at(ecCfg(32), none, irCfg(44))), RW,
     R::AlarmLevel},
    {43, inChannel("alarms.stel_a2.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {44, inChannel("alarms.stel_a2.is_acknowledgeable", boolean), asSigned, noField, nowhere, RO, R::None, 0},
    {45, inChannel("alarms.stel_a2.is_latching", boolean), asSigned, noField, nowhere, RO, R::None, 1},
    {46, inChannel("alarms.stel_a2.direction", oneOf(directions)), asSigned, noField, nowhere, RO, R::None, 1},
    {47, inChannel("alarms.stel_a2.is_enabled", boolean), asSigned, byteBit(0x02), stelTwaEnabled, RW},

    {48, inChannel("alarms.twa_a2.level", number), asFloat, real, classZero(at(ecCfg(28), none, irCfg(40))), RW,
     R::AlarmLevel},
    {49, inChannel("alarms.twa_a2.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {50, inChannel("alarms.twa_a2.is_acknowledgeable", boolean), asSigned, noField, nowhere, RO, R::None, 0},
    {51, inChannel("alarms.twa_a2.is_latching", boolean), asSigned, noField, nowhere, RO, R::None, 1},
    {52, inChannel("alarms.twa_a2.direction", oneOf(directions)), asSigned, noField, nowhere, RO, R::None, 1},
    {53, inChannel("alarms.twa_a2.is_enabled", boolean), asSigned, byteBit(0x01), stelTwaEnabled, RW},

    // The lower alarms and "upper_a3" are part of the document but have no place in the database.
    {54, inChannel("alarms.lower_a1.level", number), asFloat, real, nowhere, RW, R::AlarmLevel},
    {55, inChannel("alarms.lower_a1.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {56, inChannel("alarms.lower_a1.is_acknowledgeable", boolean), asSigned, u8, nowhere, RW},
    {57, inChannel("alarms.lower_a1.is_latching", boolean), asSigned, u8, nowhere, RW},
    {58, inChannel("alarms.lower_a1.direction", oneOf(directions)), asSigned, u8, nowhere, RW},
    {59, inChannel("alarms.lower_a1.is_enabled", boolean), asSigned, noField, nowhere, RO, R::None, 1},

    {60, inChannel("alarms.lower_a2.level", number), asFloat, real, nowhere, RW, R::AlarmLevel},
    {61, inChannel("alarms.lower_a2.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {62, inChannel("alarms.lower_a2.is_acknowledgeable", boolean), asSigned, u8, nowhere, RW},
    {63, inChannel("alarms.lower_a2.is_latching", boolean), asSigned, u8, nowhere, RW},
    {64, inChannel("alarms.lower_a2.direction", oneOf(directions)), asSigned, u8, nowhere, RW},
    {65, inChannel("alarms.lower_a2.is_enabled", boolean), asSigned, noField, nowhere, RO, R::None, 1},

    {66, inChannel("alarms.upper_a1.level", number), asFloat, real, at(ecCfg(20), catCfg(28), irCfg(32)), RW,
     R::AlarmLevel},
    {67, inChannel("alarms.upper_a1.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {68, inChannel("alarms.upper_a1.is_acknowledgeable", boolean), asSigned, byteBit(0x10), alarmFlags, RW},
    {69, inChannel("alarms.upper_a1.is_latching", boolean), asSigned, byteBit(0x20), alarmFlags, RW},
    {70, inChannel("alarms.upper_a1.direction", oneOf(directions)), asSigned, byteBit(0x01), alarmFlags, RW},
    {71, inChannel("alarms.upper_a1.is_enabled", boolean), asSigned, noField, nowhere, RO, R::None, 1},

    {72, inChannel("alarms.upper_a2.level", number), asFloat, real, at(ecCfg(24), catCfg(32), irCfg(36)), RW,
     R::AlarmLevel},
    {73, inChannel("alarms.upper_a2.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {74, inChannel("alarms.upper_a2.is_acknowledgeable", boolean), asSigned, byteBit(0x40), alarmFlags, RW},
    {75, inChannel("alarms.upper_a2.is_latching", boolean), asSigned, byteBit(0x80), alarmFlags, RW},
    {76, inChannel("alarms.upper_a2.direction", oneOf(directions)), asSigned, byteBit(0x04), alarmFlags, RW},
    {77, inChannel("alarms.upper_a2.is_enabled", boolean), asSigned, noField, nowhere, RO, R::None, 1},

    {78, inChannel("alarms.upper_a3.level", number), asFloat, noField, nowhere, RO, R::AlarmLevel},
    {79, inChannel("alarms.upper_a3.unit", oneOf(unitTexts)), asSigned, noField, nowhere, RO, R::AlarmUnit},
    {80, inChannel("alarms.upper_a3.is_acknowledgeable", boolean), asSigned, noField, nowhere, RO},
    {81, inChannel("alarms.upper_a3.is_latching", boolean), asSigned, noField, nowhere, RO},
    {82, inChannel("alarms.upper_a3.direction", oneOf(directions)), asSigned, noField, nowhere, RO},
    {83, inChannel("alarms.upper_a3.is_enabled", boolean), asSigned, noField, nowhere, RO, R::None, 1},

    // The gas features of the unit conversion: read, never shown or written.
    {84, notInDocument, asFloat, real, at(ecCfg(56), catCfg(20), irCfg(20)), RO, R::LowerExplosiveLimit},
    {85, notInDocument, asFloat, real, at(ecRec(480), catRec(416), irRec(36)), RO, R::MolarMass},
}};

constexpr bool rowsInKeyOrder() {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].key != i + 1) return false;
    return true;
}
static_assert(rowsInKeyOrder(), "one row per key, in key order");

constexpr std::string_view rootNames[] = {"", "device", "channels", "sensors"};

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

uint32_t addressOf(Place place, uint32_t channel) {
    return place.family == F::None ? noAddress : sectionStart(place.family, channel) + place.offset;
}

Place placeFor(const Places& places, SensorKind kind) {
    switch (kind) {
        case SensorKind::EC:
            return places.ec;
        case SensorKind::CatEx:
            return places.catEx;
        case SensorKind::IR:
            return places.ir;
        default:
            return none;
    }
}

}  // namespace

std::span<const KeyRow> keyTable() {
    return rows;
}

const KeyRow* keyRow(ConfigurationKey key) {
    return key >= firstKey && key <= lastKey ? &rows[key - firstKey] : nullptr;
}

ValueClass valueClassOf(ConfigurationKey key) {
    const KeyRow* row = keyRow(key);
    return row != nullptr ? row->valueClass : ValueClass::Signed;
}

bool hasRole(ConfigurationKey key, Role role) {
    const KeyRow* row = keyRow(key);
    return row != nullptr && row->role == role;
}

ConfigurationKey keyWithRole(Role role) {
    auto it = std::find_if(rows.begin(), rows.end(), [role](const KeyRow& row) { return row.role == role; });
    return it != rows.end() ? it->key : 0;
}

const KeyRow* findPath(DocumentRoot root, std::string_view path) {
    auto it = std::find_if(rows.begin(), rows.end(),
                           [&](const KeyRow& row) { return row.document.root == root && row.document.path == path; });
    return it != rows.end() ? &*it : nullptr;
}

bool isPathOrAbove(const KeyRow& row, DocumentRoot root, std::string_view path) {
    const std::string_view own = row.document.path;
    if (row.document.root != root) return false;
    if (path.empty() || own == path) return true;
    return own.size() > path.size() && own.starts_with(path) && own[path.size()] == '.';
}

std::vector<std::string_view> pathMembers(std::string_view path) {
    std::vector<std::string_view> members;
    for (size_t dot; (dot = path.find('.')) != std::string_view::npos; path.remove_prefix(dot + 1))
        members.push_back(path.substr(0, dot));
    members.push_back(path);
    return members;
}

std::string nodePath(const KeyRow& row, uint8_t number) {
    // Appended piece by piece: GCC 12 warns (-Wrestrict, falsely) about "." + std::string at -O3.
    std::string path(rootNames[static_cast<size_t>(row.document.root)]);
    if (row.document.root == DocumentRoot::Channels || row.document.root == DocumentRoot::Sensors)
        path.append(".").append(std::to_string(number));
    return path.append(".").append(row.document.path);
}

Location locateKey(ConfigurationKey key, uint32_t channel, const ChannelMap& channels) {
    const KeyRow* row = keyRow(key);
    if (row == nullptr) return {ValueKind::None, noAddress};
    const ValueKind kind = row->field.kind;
    if (key < firstChannelKey) return {kind, addressOf(row->places.device, deviceChannel)};
    if (channel >= channelCount) throw configError(ErrorCode::ConversionFailed, msg::channelNumberOutOfRange);
    if (row->places.classZeroOnly && channels.channelClass(channel) != 0) return {kind, noAddress};
    return {kind, addressOf(placeFor(row->places, channels.kind(channel)), channel)};
}

}  // namespace devlib_instr
