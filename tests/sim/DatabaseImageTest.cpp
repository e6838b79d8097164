// The database image: the section table, sealing and the default detector's contents.
#include <gtest/gtest.h>

#include <set>

#include "sim/DatabaseImage.hpp"
#include "sim/DefaultDetector.hpp"

namespace torvik::sim {
namespace {

// The seal recomputed independently: complement of the byte sum, little-endian at size - 2.
bool sealedByHand(const Bytes& image) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 2 < image.size(); ++i) sum += image[i];
    uint16_t expected = static_cast<uint16_t>(~sum);
    return image[image.size() - 2] == (expected & 0xFF) && image[image.size() - 1] == (expected >> 8);
}

TEST(DatabaseImage, DefaultDetectorHasEverySectionSealed) {
    DatabaseImage db = defaults::database();
    std::set<uint32_t> distinct;
    for (const auto& row : kDatabaseSections) {
        distinct.insert(row.address);
        ASSERT_EQ(db.section(row.address).size(), row.size) << std::hex << row.address;
        EXPECT_TRUE(sealedByHand(db.section(row.address))) << std::hex << row.address;
        EXPECT_TRUE(db.isSealed(row.address));
    }
    EXPECT_EQ(distinct.size(), 19u);
}

// Bytes 0 to 253 all 0xFF: the complement of 254 x 255 = 0xFD02 is 0x02FD, stored FD 02.
TEST(DatabaseImage, SealOfAllFfSectionIsComplementOfSum) {
    DatabaseImage db;
    db.load(db::kDeviceConfig, Bytes(256, 0xFF));
    db.seal(db::kDeviceConfig);
    EXPECT_EQ(db.section(db::kDeviceConfig)[254], 0xFD);
    EXPECT_EQ(db.section(db::kDeviceConfig)[255], 0x02);
}

TEST(DatabaseImage, WriteBreaksTheSealUntilResealed) {
    DatabaseImage db = defaults::database();
    ASSERT_TRUE(db.write(db::kDeviceConfig + 26, {0x2D, 0x00}));
    EXPECT_FALSE(db.isSealed(db::kDeviceConfig));
    db.seal(db::kDeviceConfig);
    EXPECT_TRUE(db.isSealed(db::kDeviceConfig));
}

TEST(DatabaseImage, AccessMustStayInsideOneSection) {
    DatabaseImage db;
    EXPECT_TRUE(db.read(0x0D000000 + 255, 1));
    EXPECT_FALSE(db.read(0x0D000000 + 255, 2));
    EXPECT_FALSE(db.read(0x15000000, 1));  // no section there
    EXPECT_FALSE(db.read(0x03FFFFFF, 1));
    EXPECT_FALSE(db.write(0x19000000 + 1530, Bytes(8, 0)));
    EXPECT_THROW(db.load(db::kDeviceConfig, Bytes(255, 0)), std::invalid_argument);
}

// The values the configuration code reads: channel map bytes and a few keys per channel.
TEST(DatabaseImage, DefaultChannelMapAndKeyLocations) {
    DatabaseImage db = defaults::database();
    const uint32_t dev = db::kDeviceConfig;
    const uint8_t active[6] = {1, 1, 1, 0, 1, 1};
    for (uint32_t c = 0; c < 6; ++c) EXPECT_EQ(db.u8(dev + 3 + c), active[c]) << c;
    EXPECT_EQ(db.u8(dev + 9 + 2), 1);  // O2: class 1
    EXPECT_EQ(db.u8(dev + 17), 0x06);  // IR on channels 4 and 5
    EXPECT_EQ(db.u16(dev + 26), defaults::kBumpTestDays);
    EXPECT_EQ(db.text(db::ecChannelConfig(1), 4), "H2S");
    EXPECT_EQ(db.u8(db::ecChannelConfig(1) + 16), 5);  // mg/m3
    EXPECT_FLOAT_EQ(db.floatAt(db::ecChannelConfig(0) + 20), 30.0f);
    EXPECT_FLOAT_EQ(db.floatAt(db::ecSensorRecord(0) + 480), 28.01f);
    EXPECT_EQ(db.text(db::irChannelConfig(0), 4), "CH4");
    EXPECT_FLOAT_EQ(db.floatAt(db::irChannelConfig(0) + 20), 44000.0f);
    EXPECT_FLOAT_EQ(db.floatAt(db::irSensorRecord(1) + 36), 44.01f);
    EXPECT_EQ(db.text(db::kIrSensorDataSet + 28, 7), defaults::kIrDataSetPartNumber);
}

}  // namespace
}  // namespace torvik::sim
