// Exchanges over a real pseudo-terminal: the library's own serial link against the simulated
// detector, with the line behaviour and faults the simulator can be asked for.
#include <gtest/gtest.h>

#include <memory>

#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "comm/UartInterface.hpp"
#include "sim/Simulator.hpp"
#include "support/TestContext.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

using Handler = FirmwareMessageHandler;
using torvik::sim::Faults;
using torvik::sim::Simulator;

class SimulatorExchange : public testing::Test {
protected:
    std::unique_ptr<UartInterface> openLink() {
        return std::make_unique<UartInterface>(sim.portPath(), 115200, 8, 0, 0);
    }
    void exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response, uint32_t attempts = 10) {
        Handler::sendRequest(context.context(), *link, request, response, 200, attempts, 0);
    }
    uint16_t commErrorOf(const std::function<void()>& fn) {
        return torvik_test::thrown<CommInterface::CommError>(fn).value().code;
    }

    torvik_test::TestContext context;
    Simulator sim;
    std::unique_ptr<UartInterface> link = openLink();
};

TEST_F(SimulatorExchange, EchoIsSkipped) {
    sim.setLineOptions({.echo = true});
    FootprintResponse response;
    exchange(FootprintRequest(), response, 1);
    EXPECT_EQ(response.payload.substr(0, 4), "1A05");
}

struct FaultCase {
    const char* name;
    Faults faults;
};

class RecoversFrom : public SimulatorExchange, public testing::WithParamInterface<FaultCase> {};

TEST_P(RecoversFrom, OneBadReply) {
    sim.setFaults(GetParam().faults);
    ConnectResponse response;
    exchange(ConnectMessage(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(sim.requests(), std::vector<std::string>(2, "AC7B"));
    EXPECT_EQ(
        context.lines(LogLevel::Debug),
        (std::vector<std::u16string>{u"No or invalid response to message 'Connect device', try again... (1/10)"}));
}

INSTANTIATE_TEST_SUITE_P(Faults, RecoversFrom,
                         testing::Values(FaultCase{"CorruptChecksum", Faults{.corruptChecksumFirst = 1}},
                                         FaultCase{"Truncated", Faults{.truncateFirst = 1}},
                                         FaultCase{"Garbage", Faults{.garbageFirst = 1}},
                                         FaultCase{"Silence", Faults{.silentFirst = 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatorExchange, VanishedPortIsACommErrorNotASpin) {
    sim.stop();
    uint8_t byte = 0;
    EXPECT_EQ(commErrorOf([&] { link->read(&byte, 1, 60000); }), 0);
    ConnectResponse response;
    EXPECT_THROW(exchange(ConnectMessage(), response, 2), Handler::CommunicationFailedException);
    EXPECT_EQ(context.lines(LogLevel::Info),
              std::vector<std::u16string>(2, u"Communication error when sending command AC. Error code 0."));
}

TEST_F(SimulatorExchange, PortIsOpenedForExclusiveUseAndAMissingOneQuietly) {
    EXPECT_EQ(commErrorOf([&] { UartInterface second(sim.portPath(), 9600, 8, 0, 0); }), 2);
    link.reset();
    EXPECT_NO_THROW(openLink());  // free again once the first link is gone
    testing::internal::CaptureStderr();
    EXPECT_EQ(commErrorOf([] { UartInterface missing("/dev/torvik-no-such-port", 9600, 8, 0, 0); }), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace devlib_instr
