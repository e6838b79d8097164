// What a configuration write must never do to the detector: write back values it did not read,
// switch the device off for a value it cannot store, or leave a broken checksum behind.
#include <algorithm>
#include <string>

#include "config_Host.hpp"
#include "sim/FrameCodec.hpp"

using namespace config_host;
namespace db = torvik::sim::db;

namespace {

struct Unwritable {
    const char* name;
    std::string channels;  // the "channels" member of the write
    std::u16string path;
    bool refusedBeforeAnyExchange;  // false: only the channel's unit shows that the value cannot be stored
};

const Unwritable unwritable[] = {
    {"LevelBeyondFloat", R"({"0":{"alarms":{"upper_a1":{"level":1e39}}}})", u"channels.0.alarms.upper_a1.level", true},
    {"NegativeLevelBeyondFloat", R"({"0":{"alarms":{"lower_a1":{"level":-1e39}}}})",
     u"channels.0.alarms.lower_a1.level", true},
    // 3e38 %{lel} of methane (LEL 44000 ppm) is 1.3e41 ppm, beyond a 32-bit float.
    {"LevelInfiniteInPpm", R"({"4":{"alarms":{"upper_a2":{"level":3e38}}}})", u"channels.4.alarms.upper_a2.level",
     false},
};

}  // namespace

TEST_F(ConfigHost, ShortMemoryRepliesAreRefusedBeforeAnythingIsWritten) {
    // Every "AR" is answered with 4 data bytes, whatever length was asked for.
    const std::string payload = torvik::sim::toHex(db::kDeviceConfig, 4) + torvik::sim::toHex(4, 2) + "00000000";
    sim.setFaults({.rawReplyFor = "AR", .rawReply = torvik::sim::encodeFrame("ar", payload)});
    const torvik::sim::DatabaseImage before = database();
    const std::vector<Record> shortReply{{5, 1, u"Response data size is invalid"}};

    EXPECT_FALSE(read("{" + version + R"(,"device":null})").ok);
    EXPECT_EQ(errors(), shortReply);
    EXPECT_FALSE(write("{" + version + R"(,"device":{"switch_off":"allowed"}})").ok);
    EXPECT_EQ(errors(), shortReply);

    const std::vector<std::string> codes = commands();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "AO"), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "AW"), 0);
    const torvik::sim::DatabaseImage after = database();
    for (const torvik::sim::DatabaseSection& row : torvik::sim::kDatabaseSections)
        EXPECT_EQ(after.section(row.address), before.section(row.address)) << std::hex << row.address;
}

TEST_F(ConfigHost, ValuesTheDatabaseCannotHoldNeverSwitchTheDeviceOff) {
    for (const Unwritable& value : unwritable) {
        SCOPED_TRACE(value.name);
        const size_t sent = sim.requests().size();
        EXPECT_FALSE(write("{" + version + R"(,"channels":)" + value.channels + "}").ok);
        EXPECT_EQ(errors(), (std::vector<Record>{{5, 1, u"Invalid data type in JSON for node path: " + value.path}}));
        const std::vector<std::string> codes = commands();
        EXPECT_EQ(std::count(codes.begin() + static_cast<std::ptrdiff_t>(sent), codes.end(), "AO"), 0);
        if (value.refusedBeforeAnyExchange) {
            EXPECT_EQ(codes.size(), sent);
        }
    }
    sim.withModel([](torvik::sim::DetectorModel& model) { EXPECT_EQ(model.state.current(), torvik::sim::kStateOn); });
}

// A section is written whole, so every section a write names is sealed anew, also when the write
// only names values it cannot change there.
TEST_F(ConfigHost, WriteResealsTheSectionsOfReadOnlyValues) {
    const uint32_t ec0 = db::ecChannelConfig(0);
    sim.withModel([&](torvik::sim::DetectorModel& model) { model.database.setU8(ec0 + 200, 0x5A); });
    torvik::sim::DatabaseImage expected = database();
    ASSERT_FALSE(expected.isSealed(ec0));
    expected.seal(ec0);

    const Outcome outcome = write("{" + version + R"(,"channels":{"0":{"measure_gas":{"name":"XY"}}}})");
    ASSERT_TRUE(outcome.ok) << narrow(errorsText());
    EXPECT_TRUE(logged(2, u"The feature 40 is not yet supported"));
    const torvik::sim::DatabaseImage actual = database();
    for (const torvik::sim::DatabaseSection& row : torvik::sim::kDatabaseSections)
        EXPECT_EQ(actual.section(row.address), expected.section(row.address)) << std::hex << row.address;
}
