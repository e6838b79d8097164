// Frames: code, payload, two checksum digits and CR.
#include <gtest/gtest.h>

#include <tuple>

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

// A valid frame leaves its terminator in the caller's vector and keeps the rest as its frame.
TEST(FirmwareMessage, Decode) {
    struct Case {
        std::string raw;
        bool valid;
        std::string payload;
        size_t rawSizeAfter;
    };
    for (const Case& c : {Case{"ac3B\r", true, "", 4}, Case{"ac3b\r", true, "", 4}, Case{"ac01DA\r", true, "01", 6},
                          Case{"ac3C\r", false, "", 4},  // wrong checksum: the terminator still goes
                          Case{"ac3B", false, "", 4}, Case{"ad3A\r", false, "", 5}}) {
        SCOPED_TRACE(c.raw);
        FirmwareResponseMessage response(u"", "ac", 0);
        std::vector<uint8_t> raw = bytesOf(c.raw);
        EXPECT_NO_THROW(response.decode(raw));
        EXPECT_EQ(std::tuple(response.valid, response.payload, raw.size()),
                  std::tuple(c.valid, c.payload, c.rawSizeAfter));
        EXPECT_EQ(response.frame, c.valid ? bytesOf(c.raw.substr(0, c.raw.size() - 1)) : std::vector<uint8_t>{});
    }
}

}  // namespace
}  // namespace devlib_instr
