#include "config/DocumentPaths.hpp"

#include <algorithm>
#include <array>

namespace devlib_instr {

namespace {

constexpr std::string_view intervalUnits[] = {"d"};
constexpr std::string_view reactions[] = {"off", "warning", "error"};
constexpr std::string_view switchOffRules[] = {"allowed", "not allowed during a2", "not allowed"};
constexpr std::string_view sensorSlots[] = {"0", "1", "2", "3"};
constexpr std::string_view sensorKinds[] = {"UNKNOWN", "EC", "CatEx", "IR", "PID"};
constexpr std::string_view unitTexts[] = {"%{vol}", "ppm",  "%{ueg}", "%{lel}", "%{lie}", "mg/m3",
                                          "ppb",    "mbar", "hPa",    "kPa",    "mg/L"};
constexpr std::string_view directions[] = {"falling", "rising"};

constexpr std::string_view quickMenuItems[] = {
    "do_fresh_air_calibration", "do_bumptest",          "show_calibration_intervals", "show_bumptest_intervals",
    "show_shift_peak",          "clear_shift_peak",     "show_application_peak",      "clear_application_peak",
    "show_stev_values",         "show_twa_values",      "show_device_info",           "show_messages",
    "show_usage_period",        "do_bluetooth_pairing", "use_stealth_mode",           "use_silent_mode",
    "use_night_mode",           "motionless_toggle",    "motionless_pause_toggle"};
constexpr ConfigurationKey firstQuickMenuKey = 11;

constexpr std::string_view alarms[] = {"stel_a2", "twa_a2", "lower_a1", "lower_a2", "upper_a1", "upper_a2", "upper_a3"};
constexpr ConfigurationKey firstAlarmKey = 42;

struct AlarmAttribute {
    std::string_view name;
    JsonType type;
    TextList texts;
};
const AlarmAttribute alarmAttributes[] = {
    {"level", JsonType::Number, {}},
    {"unit", JsonType::String, TextList(unitTexts)},
    {"is_acknowledgeable", JsonType::Boolean, {}},
    {"is_latching", JsonType::Boolean, {}},
    {"direction", JsonType::String, TextList(directions)},
    {"is_enabled", JsonType::Boolean, {}},
};

std::vector<DocumentPath> buildTable() {
    using R = DocumentRoot;
    using J = JsonType;
    std::vector<DocumentPath> table = {
        {R::Device, {"bumptest_interval", "duration"}, 1, J::Number, {}},
        {R::Device, {"bumptest_interval", "unit"}, 2, J::String, intervalUnits},
        {R::Device, {"bumptest_interval", "expiration_reaction"}, 3, J::String, reactions},
        {R::Device, {"bumptest_interval", "warning_period"}, 4, J::Number, {}},
        {R::Device, {"calibration_interval", "expiration_reaction"}, 5, J::String, reactions},
        {R::Device, {"calibration_interval", "warning_period"}, 6, J::Number, {}},
        {R::Device, {"calibration_interval", "unit"}, 7, J::String, intervalUnits},
        {R::Device, {"life_signal", "use_horn"}, 8, J::Boolean, {}},
        {R::Device, {"life_signal", "use_led"}, 9, J::Boolean, {}},
        {R::Device, {"switch_off"}, 10, J::String, switchOffRules},
    };
    for (size_t i = 0; i < std::size(quickMenuItems); ++i)
        table.push_back({R::Device,
                         {"quick_menu", std::string(quickMenuItems[i])},
                         static_cast<ConfigurationKey>(firstQuickMenuKey + i),
                         J::Boolean,
                         {}});
    const std::vector<DocumentPath> channelPaths = {
        {R::Channels, {"calibration_interval", "duration"}, 31, J::Number, {}},
        {R::Channels, {"calibration_interval", "unit"}, 32, J::String, intervalUnits},
        {R::Channels, {"display_index"}, 33, J::Number, {}},
        {R::Channels, {"sensor"}, 34, J::String, sensorSlots},
        {R::Sensors, {"type"}, 35, J::String, sensorKinds},
        {R::Sensors, {"part_number"}, 36, J::String, {}},
        {R::Channels, {"sensor_data_set", "part_number"}, 37, J::String, {}},
        {R::Channels, {"sensor_data_set", "version"}, 38, J::Number, {}},
        {R::Channels, {"sensor_data_set", "suffix"}, 39, J::Number, {}},
        {R::Channels, {"measure_gas", "name"}, 40, J::String, {}},
        {R::Channels, {"measure_gas", "unit"}, 41, J::String, unitTexts},
    };
    table.insert(table.end(), channelPaths.begin(), channelPaths.end());
    for (size_t alarm = 0; alarm < std::size(alarms); ++alarm)
        for (size_t attribute = 0; attribute < std::size(alarmAttributes); ++attribute) {
            const AlarmAttribute& a = alarmAttributes[attribute];
            const auto key = static_cast<ConfigurationKey>(firstAlarmKey + 6 * alarm + attribute);
            table.push_back(
                {R::Channels, {"alarms", std::string(alarms[alarm]), std::string(a.name)}, key, a.type, a.texts});
        }
    return table;
}

bool startsWith(const std::vector<std::string>& members, const std::vector<std::string>& prefix) {
    return prefix.size() <= members.size() && std::equal(prefix.begin(), prefix.end(), members.begin());
}

}  // namespace

const std::vector<DocumentPath>& documentPaths() {
    static const std::vector<DocumentPath> table = buildTable();
    return table;
}

const DocumentPath* findPath(DocumentRoot root, const std::vector<std::string>& members) {
    for (const DocumentPath& path : documentPaths())
        if (path.root == root && path.members == members) return &path;
    return nullptr;
}

const DocumentPath* pathOfKey(ConfigurationKey key) {
    for (const DocumentPath& path : documentPaths())
        if (path.key == key) return &path;
    return nullptr;
}

std::vector<const DocumentPath*> pathsBelow(DocumentRoot root, const std::vector<std::string>& prefix) {
    std::vector<const DocumentPath*> found;
    for (const DocumentPath& path : documentPaths())
        if (path.root == root && startsWith(path.members, prefix)) found.push_back(&path);
    return found;
}

uint8_t sensorSlotOf(uint8_t channel) {
    constexpr std::array<uint8_t, 6> slots{1, 2, 3, 3, 0, 0};
    return channel < slots.size() ? slots[channel] : 0xFF;
}

std::vector<uint8_t> channelsOfSensorSlot(uint8_t slot) {
    std::vector<uint8_t> channels;
    for (uint8_t channel = 0; channel < 6; ++channel)
        if (sensorSlotOf(channel) == slot) channels.push_back(channel);
    return channels;
}

}  // namespace devlib_instr
