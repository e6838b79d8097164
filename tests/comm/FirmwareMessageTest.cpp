// Frames: code, payload, two checksum digits and CR.
#include <gtest/gtest.h>

#include "comm/FirmwareMessage.hpp"

namespace devlib_instr {
namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(FirmwareMessage, EncodeWorkedExample) {
    FirmwareCmdMessage connect(u"Connect device", "AC");
    connect.encode();
    EXPECT_EQ(connect.frame, (std::vector<uint8_t>{0x41, 0x43, 0x37, 0x42, 0x0D}));
    connect.payload = "01";
    connect.encode();  // encoding again starts over
    EXPECT_EQ(connect.frame, bytesOf("AC011A\r"));
    // "_" + "\x9F" sums to 0xFE: the checksum byte 0x01 reads "01".
    FirmwareCmdMessage padded(u"", "_");
    padded.payload.assign(1, '\x9F');
    padded.encode();
    EXPECT_EQ(padded.frame, bytesOf("_\x9F"
                                    "01\r"));
}

struct DecodeCase {
    const char* name;
    std::string raw;
    bool valid;
    std::string payload;
    size_t rawSizeAfter;  // the caller's vector after decode
};

class FirmwareMessageDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(FirmwareMessageDecode, Accepts) {
    const DecodeCase& c = GetParam();
    FirmwareResponseMessage response(u"", "ac", 0);
    std::vector<uint8_t> raw = bytesOf(c.raw);
    EXPECT_NO_THROW(response.decode(raw));
    EXPECT_EQ(response.valid, c.valid);
    EXPECT_EQ(raw.size(), c.rawSizeAfter);
    if (c.valid) {
        EXPECT_EQ(response.payload, c.payload);
        EXPECT_EQ(response.frame, bytesOf(c.raw.substr(0, c.raw.size() - 1)));
    } else {
        EXPECT_TRUE(response.frame.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FirmwareMessageDecode,
                         testing::Values(DecodeCase{"EmptyPayload", "ac3B\r", true, "", 4},
                                         DecodeCase{"LowerCaseChecksum", "ac3b\r", true, "", 4},
                                         DecodeCase{"WrongChecksumDropsTerminator", "ac3C\r", false, "", 4},
                                         DecodeCase{"WithPayload", "ac01DA\r", true, "01", 6},
                                         DecodeCase{"NoTerminator", "ac3B", false, "", 4},
                                         DecodeCase{"WrongCode", "ad3A\r", false, "", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace devlib_instr
