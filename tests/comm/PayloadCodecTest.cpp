// Hex payloads and the byte orders of the payload fields.
#include <gtest/gtest.h>

#include <stdexcept>

#include "comm/PayloadCodec.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

using Bytes = std::vector<uint8_t>;

std::string failureOf(const std::function<void()>& fn) {
    return torvik_test::thrown<std::runtime_error>(fn).value().what();
}

TEST(PayloadCodec, HexIsUpperCaseOutAnyCaseInAndAppends) {
    std::string text = "1";
    hexEncode(Bytes{0x00, 0x0F, 0xA5, 0xFF}.data(), 4, text);
    EXPECT_EQ(text, "1000FA5FF");
    Bytes out{7};
    hexDecode("000fa5Ff", out);
    EXPECT_EQ(out, (Bytes{7, 0x00, 0x0F, 0xA5, 0xFF}));
}

TEST(PayloadCodec, FieldByteOrders) {
    const Bytes bytes{0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAA};
    ByteReader reader(bytes);
    EXPECT_EQ(reader.u8(), 0x01);
    EXPECT_EQ(reader.u16(), 0x1234);
    EXPECT_EQ(reader.u32(), 0x12345678u);
    EXPECT_EQ(failureOf([&] { reader.u16(); }), "Insufficient data.");
    EXPECT_EQ(reader.u8(), 0xAA);  // a failed read does not move
    EXPECT_THROW(reader.skip(1), std::runtime_error);
    Bytes out;
    appendBigEndian(out, 0x00012345, 4);
    appendLittleEndian(out, 0x0201, 2);
    EXPECT_EQ(out, (Bytes{0x00, 0x01, 0x23, 0x45, 0x01, 0x02}));
}

}  // namespace
}  // namespace devlib_instr
