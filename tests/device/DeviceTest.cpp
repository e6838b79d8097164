// What the device does below the table: the host's serial-link factory, state polling and the
// clear's waiting. The context's clock skips its pauses, so polls "every 200 ms" cost no waiting.
#include <gtest/gtest.h>

#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "sim/FrameCodec.hpp"
#include "support/MemoryLink.hpp"
#include "support/SimulatedDevice.hpp"

namespace devlib_instr {
namespace {

using torvik::sim::DetectorModel;
using torvik::sim::Faults;
using torvik_test::SimulatedDevice;
using torvik_test::TestContext;
using Texts = std::vector<std::u16string>;

TEST(Device, OpensThroughTheHostsFactoryElseTheLibrarysOwnLink) {
    TestContext context;
    auto* host = reinterpret_cast<InstrContext*>(static_cast<HandleBase*>(context.guard().get()));
    // A host-supplied factory whose in-memory links answer every request with "ac".
    int created = 0;
    torvik_test::MemoryLinkFactory mine(context.clock(), [&created](torvik_test::MemoryLink& link) {
        link.script.assign(4, {torvik::sim::encodeFrame("ac", "")});
        ++created;
    });
    SetUARTInterfaceFactory(host, &mine);
    uint32_t garbage[16] = {};
    SetUARTInterfaceFactory(reinterpret_cast<InstrContext*>(garbage), nullptr);  // ignored
    SetUARTInterfaceFactory(nullptr, nullptr);
    Device device(context.guard());
    device.open("anything");
    ConnectResponse connected;
    device.exchange(ConnectMessage(), connected);
    EXPECT_TRUE(connected.valid);
    EXPECT_EQ(created, 1);

    SetUARTInterfaceFactory(host, nullptr);
    torvik::sim::Simulator sim;
    device.open(sim.portPath());
    EXPECT_EQ(device.readDeviceState(), 9);
    EXPECT_EQ(created, 1);
}

class DeviceWait : public testing::Test {
protected:
    explicit DeviceWait(std::string_view policy = {}) : context(policy) {}
    void forceState(int state) {
        simulated.sim.withModel([&](DetectorModel& model) { model.state.force(state); });
    }

    TestContext context;
    SimulatedDevice simulated{context};
    Device& device = *simulated.device;
};

TEST_F(DeviceWait, TimeoutZeroReadsOnce) {
    EXPECT_TRUE(device.waitForState(9, 0, true));
    EXPECT_EQ(context.lines(LogLevel::Info), Texts{u"Still waiting for state change to 9. Current state is 9."});
    forceState(3);
    EXPECT_FALSE(device.waitForState(9, 0, true));
    EXPECT_EQ(simulated.sim.requests().size(), 2u);
}

TEST_F(DeviceWait, ReadErrorsAreIgnoredOnlyWhenAsked) {
    // Standard error replies are recognised behind the echo of a half-duplex line.
    simulated.sim.setLineOptions({.echo = true});
    simulated.sim.setFaults(Faults{.standardErrorFor = "AI"});
    EXPECT_FALSE(device.waitForState(1, 500, true));
    const Texts lines = context.lines(LogLevel::Info);
    EXPECT_GE(lines.size(), 2u);
    for (const std::u16string& line : lines)
        EXPECT_TRUE(line.starts_with(u"Reading device state failed while waiting or state 1. Ignored!"));
    EXPECT_THROW(device.waitForState(1, 500, false), FirmwareMessageHandler::StandardErrorResponseException);
}

class SlowPolls : public DeviceWait {
protected:
    SlowPolls() : DeviceWait("state_poll_ms=1000") {}
};

// Polls at 1000, 2000 and 3000 ms (plus the exchanges) for a deadline of 2500 ms: the time is
// compared only between polls, so the third poll is the last.
TEST_F(SlowPolls, StateNeverReachedIsPolledUntilTheDeadline) {
    forceState(3);
    EXPECT_FALSE(device.waitForState(1, 2500, false));
    EXPECT_EQ(context.lines(LogLevel::Info), Texts(3, u"Still waiting for state change to 1. Current state is 3."));
}

// The ready state is awaited for five seconds (here five polls) before the clear goes on anyway.
TEST_F(SlowPolls, ClearGoesOnWhenTheReadyStateNeverComes) {
    forceState(3);
    device.clearGdcDatalog();
    const auto requests = simulated.sim.requests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(requests[5].substr(0, 2), "BH");
    EXPECT_EQ(requests[6].substr(0, 2), "DL");
    EXPECT_EQ(context.lines(LogLevel::Info).size(), 5u);
}

}  // namespace
}  // namespace devlib_instr
