#include <gtest/gtest.h>

#include <stdexcept>

#include "comm/PayloadCodec.hpp"

namespace devlib_instr {
namespace {

TEST(PayloadCodec, HexRoundTripUsesUpperCaseAndAcceptsLowerCase) {
    std::vector<uint8_t> bytes{0x00, 0x0F, 0xA5, 0xFF};
    EXPECT_EQ(hexEncode(bytes), "000FA5FF");
    EXPECT_EQ(hexDecode("000fa5Ff"), bytes);
    EXPECT_TRUE(hexDecode("").empty());
}

TEST(PayloadCodec, HexEncodeAndDecodeAppend) {
    std::string text = "1";
    const uint8_t byte = 0x1E;
    hexEncode(&byte, 1, text);
    EXPECT_EQ(text, "11E");
    std::vector<uint8_t> out{7};
    hexDecode("08", out);
    EXPECT_EQ(out, (std::vector<uint8_t>{7, 8}));
}

struct BadHex {
    const char* text;
    const char* error;
};

class PayloadCodecBadHex : public testing::TestWithParam<BadHex> {};

TEST_P(PayloadCodecBadHex, Raises) {
    try {
        hexDecode(GetParam().text);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PayloadCodecBadHex,
                         testing::Values(BadHex{"ABC", "Malformed input."}, BadHex{"0G", "Bad character."},
                                         BadHex{"G0", "Bad character."}, BadHex{"1 ", "Bad character."},
                                         BadHex{"0x", "Bad character."}, BadHex{"ABCDE", "Malformed input."}));

TEST(PayloadCodec, ByteReaderIsLittleEndianAndChecksLength) {
    std::vector<uint8_t> bytes{0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAA};
    ByteReader reader(bytes);
    EXPECT_EQ(reader.u8(), 0x01);
    EXPECT_EQ(reader.u16(), 0x1234);
    EXPECT_EQ(reader.u32(), 0x12345678u);
    EXPECT_EQ(reader.remaining(), 1u);
    try {
        reader.u16();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Insufficient data.");
    }
    EXPECT_EQ(reader.remaining(), 1u);  // a failed read does not move
    EXPECT_EQ(reader.u8(), 0xAA);
    EXPECT_THROW(reader.u8(), std::runtime_error);
    EXPECT_THROW(reader.skip(1), std::runtime_error);
}

TEST(PayloadCodec, TakeFirstByte) {
    EXPECT_EQ(takeFirstByte({0x42, 0x43}), 0x42);
    EXPECT_THROW(takeFirstByte({}), std::runtime_error);
}

TEST(PayloadCodec, ByteLayouts) {
    std::vector<uint8_t> out;
    appendBigEndian(out, 0x00012345, 4);
    appendLittleEndian(out, 0x0201, 2);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x00, 0x01, 0x23, 0x45, 0x01, 0x02}));
}

}  // namespace
}  // namespace devlib_instr
