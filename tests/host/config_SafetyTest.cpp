// What a configuration write must never do to the detector: write back values it did not read,
// switch the device off for a value it cannot store, or leave a broken checksum behind.
#include <algorithm>
#include <string>

#include "config_Host.hpp"
#include "sim/FrameCodec.hpp"

using namespace config_host;
namespace db = torvik::sim::db;

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
