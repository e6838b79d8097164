#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "config/KeyTable.hpp"
#include "config/ValueCodec.hpp"

using namespace devlib_instr;

namespace {

Value decode(ConfigurationKey key, std::vector<uint8_t> bytes) {
    return decodeField(key, keyRow(key)->field, bytes.data());
}

std::vector<uint8_t> encode(ConfigurationKey key, const Value& value, std::vector<uint8_t> bytes) {
    encodeField(keyRow(key)->field, value, bytes.data());
    return bytes;
}

}  // namespace

TEST(ValueCodec, NumbersAndTexts) {
    EXPECT_EQ(decode(1, {0x2C, 0x01}), Value(int32_t{300}));
    EXPECT_EQ(decode(4, {0xC8}), Value(uint32_t{200}));
    EXPECT_EQ(decode(30, {0xF4, 0x01}), Value(uint32_t{500}));
    EXPECT_EQ(decode(66, {0x00, 0x00, 0x48, 0x42}), Value(50.0f));
    EXPECT_EQ(textOf(std::get<TextValue>(decode(40, {'C', 'O', 0, 0}))), "CO");
    EXPECT_EQ(textOf(std::get<TextValue>(decode(36, {'1', '2', '3', '4', '5', '6', '7'}))), "1234567");
    EXPECT_EQ(encode(31, int32_t{365}, {0, 0}), (std::vector<uint8_t>{0x6D, 0x01}));
    EXPECT_EQ(encode(72, 100.0f, {0, 0, 0, 0}), (std::vector<uint8_t>{0x00, 0x00, 0xC8, 0x42}));
}

TEST(ValueCodec, ChoiceFlagBytes) {
    struct Case {
        ConfigurationKey key;
        uint8_t byte;
        int32_t value;
    };
    for (const Case& c : std::vector<Case>{{3, 0x00, 0},
                                           {3, 0x04, 1},
                                           {3, 0x24, 2},
                                           {3, 0x20, 2},
                                           {3, 0x83, 0},
                                           {5, 0x02, 1},
                                           {5, 0x01, 0},
                                           {5, 0x00, 2},
                                           {5, 0x03, unsetSigned},
                                           {5, 0xFF, unsetSigned},
                                           {10, 0x02, 1},
                                           {10, 0x03, 1},
                                           {10, 0x01, 2},
                                           {10, 0x00, 0}})
        EXPECT_EQ(decode(c.key, {c.byte}), Value(c.value)) << int(c.key) << " " << int(c.byte);
}

TEST(ValueCodec, WrittenChoicesReadBackAndKeepOtherBits) {
    for (ConfigurationKey key : {3, 5, 10})
        for (int32_t value : {0, 1, 2}) {
            const std::vector<uint8_t> written = encode(key, value, {0x20 | 0x04 | 0x02 | 0x01});
            EXPECT_EQ(decode(key, written), Value(value)) << int(key) << " " << value;
        }
    EXPECT_EQ(encode(3, int32_t{1}, {0xA0}), (std::vector<uint8_t>{0x84}));  // 0x20 cleared, 0x80 kept
    EXPECT_EQ(encode(10, int32_t{2}, {0xF2}), (std::vector<uint8_t>{0xF1}));
}

TEST(ValueCodec, BitFlagsSetAndClearOnlyTheirBit) {
    EXPECT_EQ(decode(8, {0x02}), Value(int32_t{1}));
    EXPECT_EQ(decode(9, {0x02}), Value(int32_t{0}));
    EXPECT_EQ(decode(16, {0x04, 0x00}), Value(int32_t{1}));
    EXPECT_EQ(decode(75, {0x80}), Value(int32_t{1}));
    EXPECT_EQ(encode(12, int32_t{1}, {0x01, 0x80}), (std::vector<uint8_t>{0x03, 0x80}));
    EXPECT_EQ(encode(12, int32_t{0}, {0x03, 0x80}), (std::vector<uint8_t>{0x01, 0x80}));
    EXPECT_EQ(encode(70, int32_t{1}, {0xF0}), (std::vector<uint8_t>{0xF1}));
    EXPECT_EQ(encode(53, int32_t{0}, {0x03}), (std::vector<uint8_t>{0x02}));
}
