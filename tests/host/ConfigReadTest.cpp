// Reading the configuration through the C table from the simulated detector's default database.
#include <string>
#include <tuple>
#include <vector>

#include "support/ConfigHost.hpp"

namespace torvik_test {
namespace {

using nlohmann::json;

// Levels as the document shows them, converted from the ppm the detector stores.
struct Level {
    const char* channel;
    const char* alarm;
    float level;
    const char* unit;
};
const Level levels[] = {
    {"1", "upper_a1", 7.0819836f, "mg/m3"}, {"1", "stel_a2", 14.163967f, "mg/m3"},
    {"2", "upper_a1", 192.47002f, "mbar"},  {"4", "upper_a2", 20.0f, "%{lel}"},
    {"5", "twa_a2", 0.5f, "%{vol}"},
};

TEST_F(ConfigHost, FullDocumentHoldsTheDatabaseValues) {
    const json doc = readJson(document(R"("device":null,"channels":null,"sensors":null)"));
    EXPECT_TRUE(
        doc["$schema"].get<std::string>().ends_with("/schemas/fieldconfig/fieldconfig_json_schema_v1.0.6.json"));
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(doc["device"], json::parse(R"({
        "bumptest_interval": {"duration": 30, "expiration_reaction": "warning", "unit": "d", "warning_period": 7},
        "calibration_interval": {"expiration_reaction": "warning", "unit": "d", "warning_period": 14},
        "life_signal": {"use_horn": false, "use_led": true},
        "quick_menu": {"clear_shift_peak": false, "do_bumptest": true, "do_fresh_air_calibration": true},
        "switch_off": "not allowed during a2"})"));
    EXPECT_EQ(doc["sensors"], json::parse(R"({"0": {"part_number": "6813500", "type": "IR"},
        "1": {"part_number": "6813080", "type": "EC"}, "2": {"part_number": "6813085", "type": "EC"},
        "3": {"part_number": "6813090", "type": "EC"}})"));
    const json& channels = doc["channels"];
    EXPECT_EQ(channels.size(), 6u);
    for (const Level& l : levels) {
        SCOPED_TRACE(std::string(l.channel) + " " + l.alarm);
        const json& alarm = channels[l.channel]["alarms"][l.alarm];
        EXPECT_EQ(alarm["level"].get<float>(), l.level);
        EXPECT_EQ(alarm["unit"], l.unit);
    }
    EXPECT_EQ(channels["2"]["alarms"]["upper_a1"]["direction"], "falling");
    EXPECT_FALSE(channels["2"]["alarms"]["stel_a2"].contains("level"));  // no exposure alarms for O2
    EXPECT_EQ(channels["4"]["sensor_data_set"], json::parse(R"({"part_number": "6813510", "version": 4})"));
    // The inactive channel 3 shows only the document's fixed values.
    EXPECT_EQ(channels["3"], json::parse(R"({"calibration_interval": {"unit": "d"}, "alarms": {
        "stel_a2": {"direction": "rising", "is_acknowledgeable": false, "is_latching": true},
        "twa_a2": {"direction": "rising", "is_acknowledgeable": false, "is_latching": true},
        "lower_a1": {"is_enabled": true}, "lower_a2": {"is_enabled": true}, "upper_a1": {"is_enabled": true},
        "upper_a2": {"is_enabled": true}, "upper_a3": {"is_enabled": true}}})"));
    // The large sensor records are never read in bulk: only values of their own width.
    for (const std::string& frame : sim.requests()) {
        if (frame.starts_with("AR0B") || frame.starts_with("AR0C") || frame.starts_with("AR19")) {
            EXPECT_EQ(frame.substr(10, 4), "0004") << frame;
        }
    }
}

TEST_F(ConfigHost, ReadingOneDeviceValueReadsOnlyTheDeviceSection) {
    ASSERT_TRUE(read(document(R"("device":{"switch_off":null})")).ok);
    ASSERT_EQ(commands(), (std::vector<std::string>{"H", "AR"}));
    EXPECT_EQ(sim.requests()[1].substr(0, 14), "AR040000000100");
}

// The gas features are read only for alarm levels. Without one, an alarm's unit shows the
// channel's measuring unit when the request names that too, and is left out otherwise.
TEST_F(ConfigHost, AlarmUnitsWithoutLevelsReadNoGasFeatures) {
    const std::tuple<const char*, std::vector<std::string>, const char*> cases[] = {
        {R"({"alarms":{"upper_a1":{"unit":null}}})", {"H", "AR"}, "{}"},
        {R"({"measure_gas":{"unit":null},"alarms":{"upper_a1":{"unit":null}}})",
         {"H", "AR", "AR"},
         R"({"0":{"measure_gas":{"unit":"ppm"},"alarms":{"upper_a1":{"unit":"ppm"}}}})"},
    };
    for (const auto& [channel, exchanges, shown] : cases) {
        SCOPED_TRACE(channel);
        sim.clearRequests();
        const json doc = readJson(document(R"("channels":{"0":)" + std::string(channel) + "}"));
        EXPECT_EQ(commands(), exchanges);
        EXPECT_EQ(doc.value("channels", json::object()), json::parse(shown));
    }
}

// A real line garbles what comes while it settles after a change of rate; a host that waits for it
// is heard at the first attempt of every exchange.
class SettlingLine : public ConfigHost {
protected:
    SettlingLine() : ConfigHost(fastLine + ",rate_switch_pause_ms=60") { sim.setLineOptions({.settleMs = 20}); }
};

TEST_F(SettlingLine, HostWaitsForTheLineToSettle) {
    ASSERT_TRUE(read(document(R"("device":{"switch_off":null})")).ok) << firstError(errors());
    EXPECT_EQ(commands(), (std::vector<std::string>{"H", "AR"}));
    for (const std::string& line : log.lines(0)) EXPECT_FALSE(line.starts_with("No or invalid response")) << line;
}

TEST_F(ConfigHost, FingerprintFollowsOneValue) {
    const std::string request = document(R"("device":null)");
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
    setWarningPeriod(8);
    EXPECT_NE(read(request, 1).text, first.text);
    setWarningPeriod(7);
    EXPECT_EQ(read(request, 1).text, first.text);
}

// A device text that is not UTF-8 (an erased field) does not fail the read: the invalid byte is
// shown as U+FFFD.
TEST_F(ConfigHost, DeviceTextsThatAreNotUtf8ShowTheReplacementCharacter) {
    sim.withModel([](torvik::sim::DetectorModel& model) {
        model.database.setU8(torvik::sim::db::ecChannelConfig(0) + 1, 0xFF);  // "CO" becomes "C\xFF"
        model.database.seal(torvik::sim::db::ecChannelConfig(0));
    });
    const json doc = readJson(document(R"("channels":{"0":{"measure_gas":{"name":null}}})"));
    EXPECT_EQ(doc["channels"]["0"]["measure_gas"]["name"], "C\xEF\xBF\xBD");
}

// The example of the library's documentation, byte for byte: members sorted, levels as floats.
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

// TORVIK_EXCHANGE_POLICY never acts unseen: a context says once, at WARN, that its list was
// ignored (a bad entry, a value out of bounds) or which protocol values it changes; with an
// ignored list the protocol's timing applies and calls go on working.
TEST(ExchangePolicyNotice, ContextLogsItOnceAtWarn) {
    const std::pair<std::string, std::string> cases[] = {
        {"reply_timeout_ms=4294967295",
         "TORVIK_EXCHANGE_POLICY is ignored, the protocol's exchange timing applies: "
         "\"reply_timeout_ms=4294967295\": reply_timeout_ms takes a decimal number from 1 to 60000"},
        {"state_poll_ms=1,atempts=2",
         "TORVIK_EXCHANGE_POLICY is ignored, the protocol's exchange timing applies: "
         "\"atempts=2\" is not name=value with a known name"},
        {"rate_switch_pause_ms=0,attempts=2",
         "TORVIK_EXCHANGE_POLICY changes the protocol's exchange timing: attempts=2, rate_switch_pause_ms=0 "
         "(a detector needs the protocol's values)"},
    };
    for (const auto& [list, notice] : cases) {
        SCOPED_TRACE(list);
        torvik::sim::Simulator sim;
        LogCollector<std::string> log;
        torvik::Context context = contextWith(list);
        context.setLogCallback(log.function());
        torvik::Device device(context);
        device.open(sim.portPath());
        torvik::Configuration configuration(device);
        for (int i = 0; i < 2; ++i) configuration.read(document(R"("device":{"switch_off":null})"));
        EXPECT_EQ(log.lines(2), std::vector<std::string>{notice});
    }
}

}  // namespace
}  // namespace torvik_test
