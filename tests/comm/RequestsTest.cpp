#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "sim/FrameCodec.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

struct RequestCase {
    const char* name;
    std::function<std::unique_ptr<FirmwareCmdMessage>()> make;
    std::string code;
    std::string payload;
    std::u16string description;
};

template <class T, class... Args>
std::function<std::unique_ptr<FirmwareCmdMessage>()> make(Args... args) {
    return [=] { return std::make_unique<T>(args...); };
}

DatalogMemoryConfiguration someConfiguration() {
    DatalogMemoryConfiguration c;
    c.pageSize = 256;
    c.controlVersion = 3;
    return c;
}

class Requests : public testing::TestWithParam<RequestCase> {};

TEST_P(Requests, AreEncodedWhenBuilt) {
    const RequestCase& c = GetParam();
    std::unique_ptr<FirmwareCmdMessage> request = c.make();
    EXPECT_EQ(request->code, c.code);
    EXPECT_EQ(request->payload, c.payload);
    EXPECT_EQ(request->description, c.description);
    EXPECT_EQ(std::string(request->frame.begin(), request->frame.end()), torvik::sim::encodeFrame(c.code, c.payload));
}

const uint8_t writeData[] = {0xDE, 0xAD, 0x0D, 0x00};

INSTANTIATE_TEST_SUITE_P(
    Catalogue, Requests,
    testing::Values(
        RequestCase{"Connect", make<ConnectMessage>(), "AC", "", u"Connect device"},
        RequestCase{"Footprint", make<FootprintRequest>(), "_F", "17008100", u""},
        RequestCase{"MaintenanceOn", make<SetMaintenanceModeRequest>(true, 30), "BH", "11E000000", u""},
        RequestCase{"MaintenanceClampedHigh", make<SetMaintenanceModeRequest>(true, 100), "BH", "13C000000", u""},
        RequestCase{"MaintenanceClampedLow", make<SetMaintenanceModeRequest>(false, -5), "BH", "000000000", u""},
        RequestCase{"ReadMemoryBigEndian", make<ReadMemoryRequest>(0x00012345u, uint16_t{16}), "AR", "000123450010",
                    u""},
        RequestCase{"WriteMemory", make<WriteMemoryRequest>(0x0A0B0C0Du, writeData, 4u), "AW", "0A0B0C0D0004DEAD0D00",
                    u""},
        RequestCase{"WriteMemoryLengthFieldKeepsLow16Bits", make<WriteMemoryRequest>(1u, writeData, 0u), "AW",
                    "000000010000", u""},
        RequestCase{"ReadMemoryConfiguration", make<GdcDatalogReadMemoryConfigurationRequest>(), "DK", "",
                    u"GDC Datalog: Read Memory Configuration"},
        RequestCase{"ReadFromBeginning", make<GdcDatalogReadFromBeginningRequest>(someConfiguration(), 0u, uint16_t{0}),
                    "DM", "000000", u""},
        RequestCase{"ReadNewLittleEndianIndex", make<GdcDatalogReadNewRequest>(someConfiguration(), 3u, uint16_t{2}),
                    "DN", "300200", u""},
        RequestCase{"ReadNewHighIndex", make<GdcDatalogReadNewRequest>(someConfiguration(), 5u, uint16_t{0x1234}), "DN",
                    "503412", u""},
        RequestCase{"MoveReadPosition", make<GdcDatalogMoveReadPositionRequest>(4u), "DP", "4", u""},
        RequestCase{"Clear", make<GdcDatalogClearRequest>(), "DL", "A", u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Requests, UnknownDatalogSectionRaisesWhileBuilding) {
    EXPECT_STREQ(torvik_test::thrown<std::runtime_error>([] { GdcDatalogReadNewRequest(someConfiguration(), 6, 0); })
                     .value()
                     .what(),
                 "Unknown GDC datalog section.");
    EXPECT_THROW(GdcDatalogMoveReadPositionRequest{100}, std::runtime_error);
}

}  // namespace
}  // namespace devlib_instr
