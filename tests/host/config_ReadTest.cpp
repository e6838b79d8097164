// Reading the configuration through the C table from the simulated detector's default database.
#include <cmath>
#include <string>

#include "config_Host.hpp"
#include "sim/DefaultDetector.hpp"

using namespace config_host;
using nlohmann::json;
namespace defaults = torvik::sim::defaults;

namespace {

const char* const unitTexts[] = {"%{vol}", "ppm",  "%{ueg}", "%{lel}", "%{lie}", "mg/m3",
                                 "ppb",    "mbar", "hPa",    "kPa",    "mg/L"};

// ppm to the channel's unit with the detector's constants, in float arithmetic.
float inUnit(float ppm, const defaults::Channel& ch) {
    switch (ch.unit) {
        case 0:
            return ppm * 0.0001f;
        case 1:
            return ppm;
        case 3:
            return ppm * 100.0f / ch.lelPpm;
        case 5:
            return ppm * 1.0f * 0.012027235f * ch.molarMass * 1013.0f / (20.0f + 273.15f);
        case 7:
            return ppm * 0.001013f * 0.0009871669f * 1013.0f;
    }
    ADD_FAILURE() << "unit " << int(ch.unit);
    return 0;
}

const char* direction(bool rising) {
    return rising ? "rising" : "falling";
}

// What a full read of one channel must show, from the simulator's defaults.
json expectedChannel(const defaults::Channel& ch) {
    const std::string unit = unitTexts[ch.unit];
    const bool classZero = ch.channelClass == 0;
    json alarms;
    json stelTwa = {{"unit", unit}, {"is_acknowledgeable", false}, {"is_latching", true}, {"direction", "rising"}};
    alarms["stel_a2"] = alarms["twa_a2"] = stelTwa;
    if (classZero) {
        alarms["stel_a2"]["level"] = inUnit(ch.stelPpm, ch);
        alarms["stel_a2"]["is_enabled"] = (ch.stelTwaEnable & 0x02) != 0;
        alarms["twa_a2"]["level"] = inUnit(ch.twaPpm, ch);
        alarms["twa_a2"]["is_enabled"] = (ch.stelTwaEnable & 0x01) != 0;
    }
    for (const char* lower : {"lower_a1", "lower_a2", "upper_a3"})
        alarms[lower] = {{"unit", unit}, {"is_enabled", true}};
    alarms["upper_a1"] = {{"level", inUnit(ch.upperA1Ppm, ch)},
                          {"unit", unit},
                          {"is_acknowledgeable", (ch.alarmFlags & 0x10) != 0},
                          {"is_latching", (ch.alarmFlags & 0x20) != 0},
                          {"direction", direction(ch.alarmFlags & 0x01)},
                          {"is_enabled", true}};
    alarms["upper_a2"] = {{"level", inUnit(ch.upperA2Ppm, ch)},
                          {"unit", unit},
                          {"is_acknowledgeable", (ch.alarmFlags & 0x40) != 0},
                          {"is_latching", (ch.alarmFlags & 0x80) != 0},
                          {"direction", direction(ch.alarmFlags & 0x04)},
                          {"is_enabled", true}};
    json channel = {{"calibration_interval", {{"duration", ch.calibrationDays}, {"unit", "d"}}},
                    {"display_index", ch.displayIndex},
                    {"sensor", std::to_string(ch.channel >= 4 ? 0 : std::min(ch.channel, 2) + 1)},
                    {"sensor_data_set", {{"version", ch.sensorVersion}}},
                    {"measure_gas", {{"name", ch.gasName}, {"unit", unit}}},
                    {"alarms", alarms}};
    if (ch.sensorKind == 3) channel["sensor_data_set"]["part_number"] = defaults::kIrDataSetPartNumber;
    return channel;
}

json expectedDocument() {
    json document;
    document["version"] = "1.0.6";
    document["device"] = {
        {"bumptest_interval",
         {{"duration", defaults::kBumpTestDays},
          {"unit", "d"},
          {"expiration_reaction", "warning"},
          {"warning_period", defaults::kBumpTestWarningDays}}},
        {"calibration_interval",
         {{"expiration_reaction", "warning"}, {"warning_period", defaults::kCalibrationWarningDays}, {"unit", "d"}}},
        {"life_signal", {{"use_horn", false}, {"use_led", true}}},
        {"switch_off", "not allowed during a2"},
        {"quick_menu", {{"do_fresh_air_calibration", true}, {"do_bumptest", true}, {"clear_shift_peak", false}}}};
    for (const defaults::Channel& ch : defaults::kChannels)
        document["channels"][std::to_string(ch.channel)] = expectedChannel(ch);
    // The inactive channel 3 shows only the document's fixed values.
    json fixed = {{"is_acknowledgeable", false}, {"is_latching", true}, {"direction", "rising"}};
    document["channels"]["3"] = {{"calibration_interval", {{"unit", "d"}}},
                                 {"alarms",
                                  {{"stel_a2", fixed},
                                   {"twa_a2", fixed},
                                   {"lower_a1", {{"is_enabled", true}}},
                                   {"lower_a2", {{"is_enabled", true}}},
                                   {"upper_a1", {{"is_enabled", true}}},
                                   {"upper_a2", {{"is_enabled", true}}},
                                   {"upper_a3", {{"is_enabled", true}}}}}};
    const auto& ch = defaults::kChannels;
    document["sensors"] = {{"0", {{"type", "IR"}, {"part_number", ch[3].sensorPartNumber}}},
                           {"1", {{"type", "EC"}, {"part_number", ch[0].sensorPartNumber}}},
                           {"2", {{"type", "EC"}, {"part_number", ch[1].sensorPartNumber}}},
                           {"3", {{"type", "EC"}, {"part_number", ch[2].sensorPartNumber}}}};
    return document;
}

// Equal structure; numbers equal as 32-bit floats.
void expectSame(const json& actual, const json& expected, const std::string& path) {
    if (expected.is_number() && actual.is_number()) {
        EXPECT_EQ(actual.get<float>(), expected.get<float>()) << path;
        return;
    }
    if (!expected.is_object() || !actual.is_object()) {
        EXPECT_EQ(actual, expected) << path;
        return;
    }
    for (const auto& [name, value] : expected.items()) {
        if (!actual.contains(name)) {
            ADD_FAILURE() << "missing " << path << "." << name;
            continue;
        }
        expectSame(actual[name], value, path + "." + name);
    }
    for (const auto& [name, value] : actual.items())
        if (!expected.contains(name)) ADD_FAILURE() << "unexpected " << path << "." << name << " = " << value;
}

const std::string fullRequest = "{" + version + R"(,"device":null,"channels":null,"sensors":null})";

}  // namespace

TEST_F(ConfigHost, FullDocumentHoldsTheDatabaseValues) {
    const json document = readJson(fullRequest);
    EXPECT_TRUE(
        document["$schema"].get<std::string>().ends_with("/schemas/fieldconfig/fieldconfig_json_schema_v1.0.6.json"));
    json actual = document;
    actual.erase("$schema");
    expectSame(actual, expectedDocument(), "");
    EXPECT_EQ(errors().size(), 0u);
    // The large sensor records are never read in bulk: only values of their own width.
    for (const std::string& frame : sim.requests()) {
        if (frame.starts_with("AR0B") || frame.starts_with("AR0C") || frame.starts_with("AR19")) {
            EXPECT_EQ(frame.substr(10, 4), "0004") << frame;
        }
    }
}

TEST_F(ConfigHost, ReadingOneDeviceValueReadsOnlyTheDeviceSection) {
    const Outcome outcome = read("{" + version + R"(,"device":{"switch_off":null}})");
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.text.find('\n'), std::string::npos);
    const json document = json::parse(outcome.text);
    EXPECT_EQ(document.size(), 3u);
    EXPECT_EQ(document["device"], json::parse(R"({"switch_off":"not allowed during a2"})"));
    ASSERT_EQ(commands(), (std::vector<std::string>{"H", "AR"}));
    EXPECT_EQ(sim.requests()[1].substr(0, 14), "AR040000000100");
}

TEST_F(ConfigHost, FingerprintFollowsOneValue) {
    const std::string request = "{" + version + R"(,"device":null})";
    const Outcome first = read(request, 1);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.text, std::to_string(std::stoull(first.text)));
    EXPECT_EQ(read(request, 1).text, first.text);
    EXPECT_EQ(read(request, 7).text.front(), '{');  // other options give the document
    auto setWarningPeriod = [&](uint8_t days) {
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            model.database.setU8(torvik::sim::db::kDeviceConfig + 65, days);
            model.database.seal(torvik::sim::db::kDeviceConfig);
        });
    };
    setWarningPeriod(defaults::kBumpTestWarningDays + 1);
    EXPECT_NE(read(request, 1).text, first.text);
    setWarningPeriod(defaults::kBumpTestWarningDays);
    EXPECT_EQ(read(request, 1).text, first.text);
}

// The example of the library's documentation, byte for byte.
TEST_F(ConfigHost, DocumentedExample) {
    const std::string request =
        R"({"version":"1.0.6","device":{"switch_off":null,"bumptest_interval":null},)"
        R"("channels":{"0":{"measure_gas":null,"alarms":{"upper_a1":null}}},"sensors":{"1":null}})";
    const std::string response =
        R"({"$schema":"https://schemas.torvik-instruments.com/schemas/fieldconfig/fieldconfig_json_schema_v1.0.6.json",)"
        R"("channels":{"0":{"alarms":{"upper_a1":{"direction":"rising","is_acknowledgeable":true,"is_enabled":true,)"
        R"("is_latching":false,"level":30.0,"unit":"ppm"}},"measure_gas":{"name":"CO","unit":"ppm"}}},)"
        R"("device":{"bumptest_interval":{"duration":30,"expiration_reaction":"warning","unit":"d",)"
        R"("warning_period":7},"switch_off":"not allowed during a2"},)"
        R"("sensors":{"1":{"part_number":"6813080","type":"EC"}},"version":"1.0.6"})";
    EXPECT_EQ(read(request).text, response);
}
