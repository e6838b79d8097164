// The library's own serial link on a real pseudo-terminal: a vanished port and exclusive use.
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
using torvik::sim::Simulator;

class SimulatorExchange : public testing::Test {
protected:
    std::unique_ptr<UartInterface> openLink() {
        return std::make_unique<UartInterface>(sim.portPath(), 115200, 8, 0, 0);
    }
    uint16_t commErrorOf(const std::function<void()>& fn) {
        return torvik_test::thrown<CommInterface::CommError>(fn).value().code;
    }

    torvik_test::TestContext context;
    Simulator sim;
    std::unique_ptr<UartInterface> link = openLink();
};

TEST_F(SimulatorExchange, VanishedPortIsACommErrorNotASpin) {
    sim.stop();
    uint8_t byte = 0;
    EXPECT_EQ(commErrorOf([&] { link->read(&byte, 1, 60000); }), 0);
    ConnectResponse response;
    EXPECT_THROW(Handler::sendRequest(context.context(), *link, ConnectMessage(), response, 200, 2, 0),
                 Handler::CommunicationFailedException);
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
