// The database layout: section checksums and lookup, the channel map read from the device section
// and where each key lives.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "config/ChannelMap.hpp"
#include "config/DatabaseLayout.hpp"
#include "config/KeyTable.hpp"
#include "core/Error.hpp"
#include "support/Thrown.hpp"

using namespace devlib_instr;

namespace {

std::u16string messageOf(const std::function<void()>& fn) {
    return torvik_test::thrown<Error>(fn).value().message;
}

// A device configuration image with the given active channels and sensor bits.
std::vector<uint8_t> deviceImage(std::initializer_list<int> active, uint8_t sensorBits) {
    std::vector<uint8_t> image(256, 0);
    for (int channel : active) image[3 + channel] = 1;
    image[17] = sensorBits;
    return image;
}

}  // namespace

// Bytes before the checksum are summed in 16 bits, complemented and stored low byte first; the
// old checksum bytes do not count.
TEST(Checksum, CoversTheBytesBeforeTheChecksum) {
    for (const auto& [address, size, expected] :
         {std::tuple{0x04000000u, 256u, 0x02FDu},
          std::tuple{0x19000000u, 1536u, static_cast<unsigned>(static_cast<uint16_t>(~(1534u * 255u)))}}) {
        std::vector<uint8_t> image(size, 0xFF);
        sealSection(findSection(address, size), image);
        sealSection(findSection(address, size), image);
        EXPECT_EQ(image[size - 2] | image[size - 1] << 8, expected) << std::hex << address;
    }
}

TEST(SectionTable, LookupAndRefusals) {
    const SectionInfo* info = findSection(0x17000000 + 508, 4);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->address, 0x17000000u);
    EXPECT_EQ(info->size, 512u);
    EXPECT_EQ(info->checksumOffset, 510u);
    EXPECT_EQ(findSection(0x13000000, 1), &sectionTable[15]);  // the first row that holds the range
    EXPECT_EQ(findSection(0x040000FE, 3), nullptr);            // runs past the end
    EXPECT_EQ(findSection(0x15000000, 1), nullptr);
    std::vector<uint8_t> image(255, 0);
    EXPECT_EQ(messageOf([&] { sealSection(nullptr, image); }), u"Database section info is nullptr");
    EXPECT_EQ(messageOf([&] { sealSection(findSection(0x04000000, 1), image); }), u"Wrong section data size");
}

TEST(ChannelMapTest, KindsClassesAndDisplayIndices) {
    std::vector<uint8_t> image = deviceImage({0, 2, 4, 5}, 0x06);
    image[9 + 2] = 0x01;  // channel 2 has class 1
    const ChannelMap map = ChannelMap::build(image);
    EXPECT_EQ((std::vector{map.kind(0), map.kind(1), map.kind(4), map.kind(5)}),
              (std::vector{SensorKind::EC, SensorKind::Unknown, SensorKind::IR, SensorKind::IR}));
    EXPECT_FALSE(map.isActive(1));
    EXPECT_EQ(map.channelClass(2), 1);
    // IR and CatEx channels first, then the others in channel order.
    EXPECT_EQ((std::vector{map.displayIndex(4), map.displayIndex(5), map.displayIndex(0), map.displayIndex(2),
                           map.displayIndex(1)}),
              (std::vector<uint8_t>{0, 1, 2, 3, noDisplayIndex}));
    EXPECT_EQ(messageOf([&] { map.kind(6); }), u"Channel index is out of range");
}

TEST(ChannelMapTest, Channel3WithoutEcSensorIsStillNumbered) {
    std::vector<uint8_t> image = deviceImage({3, 4}, 0x01);
    image[15] = image[16] = 1;
    image[9 + 3] = 0x01;
    const ChannelMap map = ChannelMap::build(image);
    EXPECT_TRUE(map.isActive(3));
    EXPECT_EQ((std::vector{map.kind(3), map.kind(4)}), (std::vector{SensorKind::Unknown, SensorKind::CatEx}));
    EXPECT_EQ((std::vector{map.channelClass(3), map.channelClass(4)}), (std::vector<uint8_t>{0, 6}));
    EXPECT_EQ((std::vector{map.displayIndex(4), map.displayIndex(3)}), (std::vector<uint8_t>{0, 1}));
}

TEST(ChannelMapTest, Channel4And5SensorBits) {
    using enum SensorKind;
    for (const auto& [bits, four, five] :
         {std::tuple{0x00, Unknown, Unknown}, std::tuple{0x01, CatEx, Unknown}, std::tuple{0x02, IR, Unknown},
          std::tuple{0x04, IR, IR}, std::tuple{0x05, CatEx, IR}}) {
        const ChannelMap map = ChannelMap::build(deviceImage({4, 5}, static_cast<uint8_t>(bits)));
        EXPECT_EQ(std::pair(map.kind(4), map.kind(5)), std::pair(four, five)) << bits;
    }
}

TEST(KeyLocations, FollowTheChannelAndItsSensorKind) {
    std::vector<uint8_t> image = deviceImage({0, 1, 4, 5}, 0x04);
    image[9 + 1] = 0x01;
    const ChannelMap ir = ChannelMap::build(image);
    const ChannelMap catEx = ChannelMap::build(deviceImage({4}, 0x01));
    struct Case {
        const ChannelMap* map;
        ConfigurationKey key;
        uint8_t channel;
        uint32_t address;
    };
    for (const Case& c : std::vector<Case>{{&ir, 1, deviceChannel, 0x0400001A},
                                           {&ir, 10, deviceChannel, 0x04000026},
                                           {&ir, 2, deviceChannel, noAddress},
                                           {&ir, 31, 0, 0x0D00002C},
                                           {&ir, 85, 1, 0x060001E0},
                                           {&ir, 42, 1, noAddress},  // class 1
                                           {&ir, 85, 5, 0x0C000024},
                                           {&ir, 37, 5, 0x1700001C},
                                           {&ir, 31, 2, noAddress},  // inactive
                                           {&catEx, 42, 4, noAddress},
                                           {&catEx, 66, 4, 0x1300001C},
                                           {&catEx, 85, 4, 0x190001A0},
                                           {&ir, 72, 5, 0x14000024}}) {
        const Location location = locateKey(c.key, c.channel, *c.map);
        EXPECT_EQ(location.address, c.address) << int(c.key) << "/" << int(c.channel);
        EXPECT_EQ(location.kind, keyRow(c.key)->field.kind) << int(c.key);
    }
    EXPECT_EQ(messageOf([&] { locateKey(31, 6, ir); }), u"Channel number is out of range");
}
