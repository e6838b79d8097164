// Writing the configuration through the C table into the simulated detector's database, and what a
// write must never do: write back values it did not read, switch the device off for a value it
// cannot store, or leave a broken checksum behind.
#include <cstdio>
#include <functional>
#include <set>
#include <string>

#include "sim/FrameCodec.hpp"
#include "support/ConfigHost.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using nlohmann::json;
using torvik::ErrorRecord;
namespace db = torvik::sim::db;

std::string hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

const std::string changes = document(R"(
    "device": {"switch_off": "allowed", "bumptest_interval": {"duration": 45, "expiration_reaction": "error"},
               "life_signal": {"use_horn": true}, "quick_menu": {"do_bumptest": false}},
    "channels": {
        "0": {"calibration_interval": {"duration": 90},
              "alarms": {"upper_a1": {"level": 35, "is_latching": true, "direction": "falling"},
                         "stel_a2": {"is_enabled": false}}},
        "4": {"alarms": {"upper_a2": {"level": 10.0}}}})");

TEST_F(ConfigHost, WriteChangesExactlyItsBytesAndReadsBack) {
    torvik::sim::DatabaseImage expected = database();
    const Outcome outcome = write(changes);
    ASSERT_TRUE(outcome.ok) << firstError(errors());
    EXPECT_EQ(outcome.err, std::nullopt);
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
    expected.setU8(ec0 + 36, 0xB4);        // latching on, falling
    expected.setU8(ec0 + 37, 0x01);        // STEL off, TWA stays on
    expected.setFloat(ir0 + 36, 4400.0f);  // 10 %{lel} of CH4
    for (uint32_t address : {dev, ec0, ir0}) expected.seal(address);
    const torvik::sim::DatabaseImage actual = database();
    expectSameSections(actual, expected);
    for (const torvik::sim::DatabaseSection& row : torvik::sim::kDatabaseSections)
        EXPECT_TRUE(actual.isSealed(row.address)) << std::hex << row.address;

    std::set<uint32_t> written;
    for (const std::string& frame : sim.requests())
        if (frame.starts_with("AW")) written.insert(static_cast<uint32_t>(std::stoul(frame.substr(2, 8), nullptr, 16)));
    EXPECT_EQ(written, (std::set<uint32_t>{dev, ec0, ir0}));
    // After the last hello: state check, switch-off and its polls (the second shows the new state),
    // connect, the blocks, disconnect, switch-on and its polls.
    const std::vector<std::string> codes = commands();
    EXPECT_EQ(std::vector<std::string>(std::find(codes.rbegin(), codes.rend(), "H").base() - 1, codes.end()),
              (std::vector<std::string>{"H", "AI", "AO", "AI", "AI", "AC", "AW", "AW", "AW", "AD", "AM", "AI", "AI"}));
    EXPECT_EQ(deviceState(), torvik::sim::kStateOn);

    json readBack = readJson(changes);
    readBack.erase("$schema");
    EXPECT_EQ(readBack, json::parse(changes));  // the document's values, levels back in their units
}

// Whole numbers count however a JSON writer spells them (45.0, 9e1). Read-only keys take any value
// of their JSON type: they change nothing and are reported as not supported.
TEST_F(ConfigHost, WholeFloatsAndAnyReadOnlyValuesAreAccepted) {
    torvik::sim::DatabaseImage expected = database();
    ASSERT_TRUE(write(document(R"(
        "device": {"bumptest_interval": {"duration": 45.0, "warning_period": 8e0}},
        "channels": {"0": {"calibration_interval": {"duration": 9e1}, "display_index": 2.5,
                           "sensor_data_set": {"version": 300, "suffix": -1}, "measure_gas": {"unit": "furlong"},
                           "alarms": {"upper_a3": {"level": 1e39}}}})"))
                    .ok)
        << firstError(errors());
    const uint32_t dev = db::kDeviceConfig, ec0 = db::ecChannelConfig(0);
    expected.setU16(dev + 26, 45);
    expected.setU8(dev + 65, 8);
    expected.setU16(ec0 + 44, 90);
    for (uint32_t address : {dev, ec0}) expected.seal(address);
    expectSameSections(database(), expected);
    for (const std::string key : {"33", "38", "39", "41", "78"})
        EXPECT_TRUE(logged(2, "The feature " + key + " is not yet supported")) << key;
}

TEST_F(ConfigHost, DeviceSwitchedOffBeforeStaysOff) {
    sim.withModel([](torvik::sim::DetectorModel& model) { model.state.force(torvik::sim::kStateOff); });
    ASSERT_TRUE(write(document(R"("device":{"quick_menu":{"show_messages":true}})")).ok) << firstError(errors());
    EXPECT_EQ(count("AM"), 0u);
    EXPECT_EQ(count("AW"), 0u);  // a value without a place: nothing written
    EXPECT_EQ(deviceState(), torvik::sim::kStateOff);
    EXPECT_TRUE(logged(2, "The feature 22 is not yet supported"));
}

TEST_F(ConfigHost, ShortMemoryRepliesAreRefusedBeforeAnythingIsWritten) {
    // Every "AR" is answered with 4 data bytes, whatever length was asked for.
    const std::string payload = torvik::sim::toHex(db::kDeviceConfig, 4) + torvik::sim::toHex(4, 2) + "00000000";
    sim.setFaults({.rawReplyFor = "AR", .rawReply = torvik::sim::encodeFrame("ar", payload)});
    const torvik::sim::DatabaseImage before = database();
    const std::vector<ErrorRecord> shortReply{{ContainerWriter, 1, "Response data size is invalid"}};
    EXPECT_FALSE(read(document(R"("device":null)")).ok);
    EXPECT_EQ(errors(), shortReply);
    EXPECT_FALSE(write(document(R"("device":{"switch_off":"allowed"})")).ok);
    EXPECT_EQ(errors(), shortReply);
    EXPECT_EQ(count("AO"), 0u);
    EXPECT_EQ(count("AW"), 0u);
    expectSameSections(database(), before);
}

struct Unwritable {
    std::string channels;  // the "channels" member of the write
    std::string path;
    bool refusedBeforeAnyExchange;  // false: only the channel's unit shows that the value cannot be stored
};

TEST_F(ConfigHost, ValuesTheDatabaseCannotHoldNeverSwitchTheDeviceOff) {
    const Unwritable unwritable[] = {
        {R"({"0":{"alarms":{"upper_a1":{"level":1e39}}}})", "channels.0.alarms.upper_a1.level", true},
        {R"({"0":{"alarms":{"lower_a1":{"level":-1e39}}}})", "channels.0.alarms.lower_a1.level", true},
        // 3e38 %{lel} of methane (LEL 44000 ppm) is 1.3e41 ppm, beyond a 32-bit float.
        {R"({"4":{"alarms":{"upper_a2":{"level":3e38}}}})", "channels.4.alarms.upper_a2.level", false},
    };
    for (const Unwritable& value : unwritable) {
        SCOPED_TRACE(value.path);
        const size_t sent = sim.requests().size();
        EXPECT_FALSE(write(document(R"("channels":)" + value.channels)).ok);
        EXPECT_EQ(
            errors(),
            (std::vector<ErrorRecord>{{ContainerWriter, 1, "Invalid data type in JSON for node path: " + value.path}}));
        if (value.refusedBeforeAnyExchange) {
            EXPECT_EQ(sim.requests().size(), sent);
        }
    }
    EXPECT_EQ(count("AO"), 0u);
    EXPECT_EQ(deviceState(), torvik::sim::kStateOn);
}

// A document read from the device and written back unedited changes no byte and never switches
// the device off: levels shown in other units than ppm (H2S in mg/m3, O2 in mbar) keep their
// stored floats instead of drifting by the rounding of two conversions.
TEST_F(ConfigHost, UneditedDocumentWrittenBackChangesNothing) {
    const torvik::sim::DatabaseImage before = database();
    const Outcome document = read(R"({"version":"1.0.6","device":null,"channels":null,"sensors":null})");
    ASSERT_TRUE(document.ok) << firstError(errors());
    sim.clearRequests();
    ASSERT_TRUE(write(document.text).ok) << firstError(errors());
    expectSameSections(database(), before);
    for (const char* code : {"AI", "AO", "AC", "AW"}) EXPECT_EQ(count(code), 0u) << code;
    EXPECT_TRUE(logged(1, "The device already holds every value of the request: nothing was written."));
    EXPECT_TRUE(logged(2, "The feature 40 is not yet supported"));  // read-only values are still named
}

// Sections whose stored checksum does not verify (one damaged, or a device that seals by another
// rule): reads still work and warn; a write that would seal such a section anew is refused before
// the device is switched off, and the device stays on and unchanged. A write that changes nothing
// there leaves the section as it is.
TEST_F(ConfigHost, SectionsWhoseSealDoesNotVerifyAreNeverWritten) {
    const uint32_t ec0 = db::ecChannelConfig(0);
    const std::string change = document(R"("channels":{"0":{"calibration_interval":{"duration":91}}})");
    const std::string readOnly = document(R"("channels":{"0":{"measure_gas":{"name":"XY"}}})");
    const std::pair<const char*, std::function<void(torvik::sim::DatabaseImage&)>> damages[] = {
        {"one damaged checksum", [&](torvik::sim::DatabaseImage& image) { image.setU8(ec0 + 200, 0x5A); }},
        // The rules differ only where the last byte before the checksum is not zero.
        {"another sealing rule",
         [&](torvik::sim::DatabaseImage& image) {
             image.setU8(ec0 + 253, 0x11);
             image.sealAll(torvik::sim::SealRule::OneByteShort);
         }},
    };
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        sim.withModel([&](torvik::sim::DetectorModel& model) { damage(model.database); });
        const torvik::sim::DatabaseImage before = database();
        const uint16_t stored = static_cast<uint16_t>(before.u16(ec0 + 254));
        const uint16_t computed = torvik::sim::DatabaseImage::checksumOf(before.section(ec0));
        ASSERT_NE(stored, computed);

        EXPECT_TRUE(read(document(R"("channels":{"0":null})")).ok) << firstError(errors());
        EXPECT_TRUE(logged(2,
                           "The stored checksum of the database section at address 0x0D000000 does not verify: "
                           "stored " +
                               hex4(stored) + ", computed " + hex4(computed)));
        sim.clearRequests();
        EXPECT_FALSE(write(change).ok);
        EXPECT_EQ(errors(),
                  (std::vector<ErrorRecord>{
                      {ContainerWriter, 19,
                       "The database section at address 0x0D000000 would be sealed anew, but its stored "
                       "checksum " +
                           hex4(stored) + " does not verify (computed " + hex4(computed) + "): nothing was written"}}));
        EXPECT_TRUE(write(readOnly).ok) << firstError(errors());
        for (const char* code : {"AO", "AC", "AW"}) EXPECT_EQ(count(code), 0u) << code;
        EXPECT_EQ(deviceState(), torvik::sim::kStateOn);
        expectSameSections(database(), before);
    }
}

}  // namespace
}  // namespace torvik_test
