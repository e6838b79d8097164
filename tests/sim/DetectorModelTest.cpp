// The detector model answering frames: the replies of the protocol byte for byte, and the database
// seal. Its state switching, datalog read-out and clearing are checked through the library by the
// host tests.
#include <gtest/gtest.h>

#include "sim/DetectorModel.hpp"

namespace torvik::sim {
namespace {

// One model answers the exchanges in order: later ones see what earlier ones changed.
struct Exchange {
    std::string frame;  // without CR
    std::string reply;  // with CR
};

TEST(DetectorModel, AnswersFramesByteForByte) {
    const Exchange exchanges[] = {
        {"HB7", "hV105B3-8327640246101370DB4DD84000065\r"},  // identity and clock
        {"_F17008100C9", "_f1A050200A1\r"},                  // the footprint query
        {"_F17008200C8", "?aq03\r"},                         // another query: malformed payload
        {"DK70", "dk03010A00030002000500000190\r"},          // memory configuration
        {"AR0D00001400040F", "ar1400000D04000000F04134\r"},  // 30.0f at 0x0D000014
        {"AR04000000010126", "?aq03\r"},                     // more than 256 bytes
        {"AW040000400002070056", "aw00C7\r"},                // refused without connect
        {"AC7B", "ac3B\r"},
        {"AW040000400002070056", "aw01C6\r"},
        {"AW15000000000100C0", "aw00C7\r"},  // no section there
        {"AD7A", "ad3A\r"},
        {"AC7C", "?aq08\r"},        // wrong checksum
        {"ZZ", "?aq08\r"},          // too short for a checksum
        {"QX56", "?aq0C\r"},        // unknown command
        {"DN60000047", "?aq11\r"},  // no section 6
        {"DLA2E", "?aq0E\r"},       // clear outside maintenance mode
    };
    DetectorModel model;
    for (const Exchange& e : exchanges) EXPECT_EQ(model.answer(e.frame).reply, e.reply) << e.frame;
    EXPECT_EQ(model.database.u16(db::kDeviceConfig + 64), 0x0007);
    EXPECT_FALSE(model.connected);
    EXPECT_EQ(model.commandCount("DL"), 0u);
}

// The seal is the complement of the byte sum, little-endian in the last two bytes: for bytes 0 to
// 253 all 0xFF, 254 x 255 = 0xFD02, stored FD 02.
TEST(DatabaseImage, SealAndSectionBounds) {
    DatabaseImage db;
    db.load(db::kDeviceConfig, Bytes(256, 0xFF));
    db.seal(db::kDeviceConfig);
    EXPECT_EQ(db.section(db::kDeviceConfig)[254], 0xFD);
    EXPECT_EQ(db.section(db::kDeviceConfig)[255], 0x02);
    ASSERT_TRUE(db.write(db::kDeviceConfig + 26, {0x2D, 0x00}));
    EXPECT_FALSE(db.isSealed(db::kDeviceConfig));
    EXPECT_TRUE(db.read(0x0D000000 + 255, 1));
    EXPECT_FALSE(db.read(0x0D000000 + 255, 2));  // across the end of a section
    EXPECT_FALSE(db.read(0x15000000, 1));        // no section there
    EXPECT_THROW(db.load(db::kDeviceConfig, Bytes(255, 0)), std::invalid_argument);
    const DatabaseImage defaults = defaults::database();
    for (const auto& row : kDatabaseSections) EXPECT_TRUE(defaults.isSealed(row.address)) << std::hex << row.address;
}

}  // namespace
}  // namespace torvik::sim
