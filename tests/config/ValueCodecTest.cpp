// The choice flags, whose bytes hold more than the value: every byte reads as a choice and a
// written choice keeps the other bits.
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

TEST(ValueCodec, ChoiceFlagBytes) {
    const std::pair<ConfigurationKey, std::vector<std::pair<uint8_t, int32_t>>> cases[] = {
        {3, {{0x00, 0}, {0x04, 1}, {0x24, 2}, {0x20, 2}, {0x83, 0}}},
        {5, {{0x02, 1}, {0x01, 0}, {0x00, 2}, {0x03, unsetSigned}, {0xFF, unsetSigned}}},
        {10, {{0x02, 1}, {0x03, 1}, {0x01, 2}, {0x00, 0}}},
    };
    for (const auto& [key, bytes] : cases)
        for (const auto& [byte, value] : bytes)
            EXPECT_EQ(decode(key, {byte}), Value(value)) << int(key) << " " << int(byte);
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
