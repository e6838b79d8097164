#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "sim/FrameCodec.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

DatalogMemoryConfiguration someConfiguration() {
    DatalogMemoryConfiguration c;
    c.pageSize = 256;
    c.controlVersion = 3;
    return c;
}

TEST(Requests, AreEncodedWhenBuilt) {
    const uint8_t writeData[] = {0xDE, 0xAD, 0x0D, 0x00};
    const DatalogMemoryConfiguration configuration = someConfiguration();
    struct Case {
        std::unique_ptr<FirmwareCmdMessage> request;
        std::string code, payload;
        std::u16string description;
    };
    Case cases[] = {
        {std::make_unique<ConnectMessage>(), "AC", "", u"Connect device"},
        {std::make_unique<FootprintRequest>(), "_F", "17008100", u""},
        {std::make_unique<SetMaintenanceModeRequest>(true, 30), "BH", "11E000000", u""},
        {std::make_unique<SetMaintenanceModeRequest>(true, 100), "BH", "13C000000", u""},             // clamped high
        {std::make_unique<SetMaintenanceModeRequest>(false, -5), "BH", "000000000", u""},             // clamped low
        {std::make_unique<ReadMemoryRequest>(0x00012345u, uint16_t{16}), "AR", "000123450010", u""},  // big-endian
        {std::make_unique<WriteMemoryRequest>(0x0A0B0C0Du, writeData, 4u), "AW", "0A0B0C0D0004DEAD0D00", u""},
        {std::make_unique<WriteMemoryRequest>(1u, writeData, 0u), "AW", "000000010000", u""},
        {std::make_unique<GdcDatalogReadMemoryConfigurationRequest>(), "DK", "",
         u"GDC Datalog: Read Memory Configuration"},
        {std::make_unique<GdcDatalogReadFromBeginningRequest>(configuration, 0u, uint16_t{0}), "DM", "000000", u""},
        // The page index of the reads is little-endian.
        {std::make_unique<GdcDatalogReadNewRequest>(configuration, 3u, uint16_t{2}), "DN", "300200", u""},
        {std::make_unique<GdcDatalogReadNewRequest>(configuration, 5u, uint16_t{0x1234}), "DN", "503412", u""},
        {std::make_unique<GdcDatalogMoveReadPositionRequest>(4u), "DP", "4", u""},
        {std::make_unique<GdcDatalogClearRequest>(), "DL", "A", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code + c.payload);
        EXPECT_EQ(std::tuple(c.request->code, c.request->payload, c.request->description),
                  std::tuple(c.code, c.payload, c.description));
        EXPECT_EQ(std::string(c.request->frame.begin(), c.request->frame.end()),
                  torvik::sim::encodeFrame(c.code, c.payload));
    }
}

TEST(Requests, UnknownDatalogSectionRaisesWhileBuilding) {
    EXPECT_STREQ(torvik_test::thrown<std::runtime_error>([] { GdcDatalogReadNewRequest(someConfiguration(), 6, 0); })
                     .value()
                     .what(),
                 "Unknown GDC datalog section.");
    EXPECT_THROW(GdcDatalogMoveReadPositionRequest{100}, std::runtime_error);
}

}  // namespace
}  // namespace devlib_instr
