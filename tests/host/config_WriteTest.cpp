// Writing the configuration through the C table into the simulated detector's database.
#include <algorithm>
#include <set>
#include <string>

#include "config_Host.hpp"
#include "sim/DefaultDetector.hpp"

using namespace config_host;
using nlohmann::json;
namespace db = torvik::sim::db;

namespace {

const std::string document = "{" + version + R"(,
    "device": {"switch_off": "allowed", "bumptest_interval": {"duration": 45, "expiration_reaction": "error"},
               "life_signal": {"use_horn": true}, "quick_menu": {"do_bumptest": false}},
    "channels": {
        "0": {"calibration_interval": {"duration": 90},
              "alarms": {"upper_a1": {"level": 35, "is_latching": true, "direction": "falling"},
                         "stel_a2": {"is_enabled": false}}},
        "4": {"alarms": {"upper_a2": {"level": 10.0}}}}})";

// The command codes from the last hello on, with runs of state polls and reads shown once as
// "AI+" and "AR+".
std::vector<std::string> lastSequence(const std::vector<std::string>& codes) {
    auto start = std::find(codes.rbegin(), codes.rend(), "H").base() - 1;
    std::vector<std::string> sequence;
    for (auto it = start; it != codes.end(); ++it) {
        const bool repeatable = *it == "AI" || *it == "AR";
        if (repeatable && !sequence.empty() && sequence.back() == *it + "+") continue;
        sequence.push_back(repeatable && it + 1 != codes.end() && *(it + 1) == *it ? *it + "+" : *it);
    }
    return sequence;
}

std::set<uint32_t> writtenAddresses(const std::vector<std::string>& frames) {
    std::set<uint32_t> addresses;
    for (const std::string& frame : frames)
        if (frame.starts_with("AW"))
            addresses.insert(static_cast<uint32_t>(std::stoul(frame.substr(2, 8), nullptr, 16)));
    return addresses;
}

}  // namespace

TEST_F(ConfigHost, WriteChangesExactlyItsBytesAndReadsBack) {
    torvik::sim::DatabaseImage expected = database();
    const Outcome outcome = write(document);
    ASSERT_TRUE(outcome.ok) << narrow(errorsText());
    EXPECT_EQ(outcome.err.category, 99u);
    EXPECT_TRUE(errors().empty());

    // Bytes the document names, as the detector stores them (levels in ppm).
    const uint32_t dev = db::kDeviceConfig, ec0 = db::ecChannelConfig(0), ir0 = db::irChannelConfig(0);
    expected.setU8(dev + 38, 0x00);  // switch_off "allowed"
    expected.setU16(dev + 26, 45);
    expected.setU8(dev + 18, 0x20);     // reaction "error"
    expected.setU8(dev + 45, 0x03);     // horn on, LED stays on
    expected.setU16(dev + 60, 0x0001);  // bump test off in the quick menu
    expected.setU16(ec0 + 44, 90);
    expected.setFloat(ec0 + 20, 35.0f);
    expected.setU8(ec0 + 36, 0x95 | 0x20);                                  // latching on
    expected.setU8(ec0 + 36, static_cast<uint8_t>((0x95 | 0x20) & ~0x01));  // falling
    expected.setU8(ec0 + 37, 0x01);                                         // STEL off, TWA stays on
    expected.setFloat(ir0 + 36, 10.0f / 100.0f * 44000.0f);                 // 10 %{lel} of CH4: 4400 ppm
    for (uint32_t address : {dev, ec0, ir0}) expected.seal(address);

    const torvik::sim::DatabaseImage actual = database();
    for (const torvik::sim::DatabaseSection& row : torvik::sim::kDatabaseSections) {
        EXPECT_EQ(actual.section(row.address), expected.section(row.address)) << std::hex << row.address;
        EXPECT_TRUE(actual.isSealed(row.address)) << std::hex << row.address;
    }
    EXPECT_EQ(writtenAddresses(sim.requests()), (std::set<uint32_t>{dev, ec0, ir0}));

    // The write sequence after the last hello: state check, switch-off and its polls, the sections
    // that were not read yet, connect, the blocks, disconnect, switch-on and its polls.
    const std::vector<std::string> sequence = lastSequence(commands());
    EXPECT_EQ(sequence, (std::vector<std::string>{"H", "AI", "AO", "AI+", "AC", "AW", "AW", "AW", "AD", "AM", "AI+"}));
    EXPECT_EQ(sim.requests().back(), sim.requests()[sim.requests().size() - 2]);  // state polls at the end
    sim.withModel([](torvik::sim::DetectorModel& model) { EXPECT_EQ(model.state.current(), 9); });

    const json readBack = readJson(document);
    EXPECT_EQ(readBack["device"], json::parse(document)["device"]);
    const json& zero = readBack["channels"]["0"];
    EXPECT_EQ(zero["calibration_interval"]["duration"], 90);
    EXPECT_EQ(zero["alarms"]["upper_a1"], json::parse(R"({"level":35.0,"is_latching":true,"direction":"falling"})"));
    EXPECT_EQ(zero["alarms"]["stel_a2"]["is_enabled"], false);
    EXPECT_EQ(readBack["channels"]["4"]["alarms"]["upper_a2"]["level"], 10.0);
    sim.withModel([&](torvik::sim::DetectorModel& model) { EXPECT_EQ(model.database.floatAt(ir0 + 36), 4400.0f); });
}

TEST_F(ConfigHost, DeviceSwitchedOffBeforeStaysOff) {
    sim.withModel([](torvik::sim::DetectorModel& model) { model.state.force(torvik::sim::kStateOff); });
    const Outcome outcome = write("{" + version + R"(,"device":{"quick_menu":{"show_messages":true}}})");
    ASSERT_TRUE(outcome.ok) << narrow(errorsText());
    const std::vector<std::string> codes = commands();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "AM"), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "AW"), 0);  // a value without a place: nothing written
    sim.withModel([](torvik::sim::DetectorModel& model) { EXPECT_EQ(model.state.current(), torvik::sim::kStateOff); });
    EXPECT_TRUE(logged(2, u"The feature 22 is not yet supported"));
}
