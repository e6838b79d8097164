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

// The encodings the simulated detector's default exchanges do not reach (those are checked by every
// host test): clamped maintenance durations, an empty write, a page index above 255.
TEST(Requests, AreEncodedWhenBuilt) {
    const DatalogMemoryConfiguration configuration = someConfiguration();
    const std::tuple<std::unique_ptr<FirmwareCmdMessage>, std::string, std::string> cases[] = {
        {std::make_unique<SetMaintenanceModeRequest>(true, 30), "BH", "11E000000"},
        {std::make_unique<SetMaintenanceModeRequest>(true, 100), "BH", "13C000000"},  // clamped high
        {std::make_unique<SetMaintenanceModeRequest>(false, -5), "BH", "000000000"},  // clamped low
        {std::make_unique<WriteMemoryRequest>(1u, nullptr, 0u), "AW", "000000010000"},
        {std::make_unique<GdcDatalogReadNewRequest>(configuration, 5u, uint16_t{0x1234}), "DN", "503412"},
    };
    for (const auto& [request, code, payload] : cases) {
        EXPECT_EQ(std::tuple(request->code, request->payload), std::tuple(code, payload));
        EXPECT_EQ(std::string(request->frame.begin(), request->frame.end()), torvik::sim::encodeFrame(code, payload));
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
