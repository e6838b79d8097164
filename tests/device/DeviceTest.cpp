// The device against the simulator on a pty: opening, state polling and the datalog clear. The
// context's clock skips its pauses, so polls "every 200 ms" cost no waiting.
#include <gtest/gtest.h>

#include <algorithm>

#include "comm/FakeUart.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "device/DeviceTestSupport.hpp"

namespace devlib_instr {
namespace {

using test::LoggedContext;
using test::SimulatedDevice;
using torvik::sim::DetectorModel;
using torvik::sim::Faults;

size_t countStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

TEST(Device, OpenOnAMissingPortIsCode6AndLeavesItClosed) {
    LoggedContext context;
    Device device(context.guard());
    try {
        device.open("/dev/torvik-no-such-port");
        FAIL() << "opened a missing port";
    } catch (const Error& e) {
        EXPECT_EQ(e.category, 0u);
        EXPECT_EQ(e.code, 6u);
    }
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.portName(), "");
}

TEST(Device, OpensReadsStateAndCloses) {
    LoggedContext context;
    SimulatedDevice simulated(context);
    Device& device = *simulated.device;
    EXPECT_TRUE(device.isOpen());
    EXPECT_EQ(device.portName(), simulated.sim.portPath());
    EXPECT_EQ(device.readDeviceState(), 9);
    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.portName(), simulated.sim.portPath());
    EXPECT_THROW(device.readDeviceState(), CommInterface::CommError);
}

// A host-supplied factory that hands out in-memory links answering every request with "ac".
class InMemoryFactory : public AbstractUartInterfaceFactory {
public:
    AbstractUartInterface* create(const std::string&) override {
        auto* link = new testing_support::FakeUart;
        link->replies.assign(4, testing_support::frameOf("ac"));
        ++created;
        return link;
    }
    int created = 0;
};

TEST(Device, OpensThroughTheHostsFactoryElseTheLibrarysOwnLink) {
    LoggedContext context;
    auto* host = reinterpret_cast<InstrContext*>(static_cast<HandleBase*>(context.guard().get()));
    InMemoryFactory mine;
    SetUARTInterfaceFactory(host, &mine);
    Device device(context.guard());
    device.open("anything");
    ConnectResponse connected;
    device.exchange(ConnectMessage(), connected);
    EXPECT_TRUE(connected.valid);
    EXPECT_EQ(mine.created, 1);

    SetUARTInterfaceFactory(host, nullptr);
    torvik::sim::Simulator sim;
    device.open(sim.portPath());
    EXPECT_EQ(device.link()->baudRate, 9600u);
    EXPECT_EQ(device.readDeviceState(), 9);
    EXPECT_EQ(device.link()->baudRate, 9600u);
    EXPECT_EQ(mine.created, 1);
}

TEST(Device, WaitWithTimeoutZeroReadsOnce) {
    LoggedContext context;
    SimulatedDevice simulated(context);
    EXPECT_TRUE(simulated.device->waitForState(9, 0, true));
    EXPECT_EQ(context.lines(LogLevel::Info),
              std::vector<std::string>{"Still waiting for state change to 9. Current state is 9."});
    simulated.sim.withModel([](DetectorModel& model) { model.state.force(3); });
    EXPECT_FALSE(simulated.device->waitForState(9, 0, true));
    EXPECT_EQ(simulated.sim.requests().size(), 2u);
}

TEST(Device, WaitFollowsASwitchOff) {
    LoggedContext context;
    SimulatedDevice simulated(context);
    simulated.device->switchOff();
    EXPECT_TRUE(simulated.device->waitForState(1, 2000, false));
    // The simulated device shows the new state on the second poll.
    EXPECT_EQ(context.lines(LogLevel::Info),
              (std::vector<std::string>{"Still waiting for state change to 1. Current state is 9.",
                                        "Still waiting for state change to 1. Current state is 1."}));
    simulated.device->switchOn();
    EXPECT_TRUE(simulated.device->waitForState(9, 2000, false));
}

// Polls at 1000, 2000 and 3000 ms (plus the exchanges) for a deadline of 2500 ms: the time is
// compared only between polls, so the third poll is the last.
TEST(Device, WaitForAStateNeverReachedPollsUntilTheDeadline) {
    LoggedContext context;
    context.changePolicy("state_poll_ms=1000");
    SimulatedDevice simulated(context);
    simulated.sim.withModel([](DetectorModel& model) { model.state.force(3); });
    EXPECT_FALSE(simulated.device->waitForState(1, 2500, false));
    EXPECT_EQ(context.lines(LogLevel::Info),
              std::vector<std::string>(3, "Still waiting for state change to 1. Current state is 3."));
}

TEST(Device, ReadErrorsWhileWaitingAreIgnoredOnlyWhenAsked) {
    LoggedContext context;
    SimulatedDevice simulated(context);
    // Standard error replies are recognised behind the echo of a half-duplex line.
    simulated.sim.setLineOptions({.echo = true});
    simulated.sim.setFaults(Faults{.standardErrorFor = "AI"});
    EXPECT_FALSE(simulated.device->waitForState(1, 500, true));
    const auto lines = context.lines(LogLevel::Info);
    EXPECT_GE(lines.size(), 2u);
    EXPECT_EQ(countStartingWith(lines, "Reading device state failed while waiting or state 1. Ignored!"), lines.size());
    EXPECT_THROW(simulated.device->waitForState(1, 500, false), FirmwareMessageHandler::StandardErrorResponseException);
}

TEST(Device, ClearSetsMaintenanceModeThenClears) {
    LoggedContext context;
    SimulatedDevice simulated(context);
    simulated.device->clearGdcDatalog();
    const auto requests = simulated.sim.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].substr(0, 2), "AI");
    EXPECT_EQ(requests[1].substr(0, 11), "BH11E000000");
    EXPECT_EQ(requests[2].substr(0, 3), "DLA");
    simulated.sim.withModel([](DetectorModel& model) {
        EXPECT_TRUE(model.maintenanceMode);
        EXPECT_EQ(model.maintenanceDuration, 30u);
        for (int section = 0; section < 6; ++section) EXPECT_EQ(model.datalog.pageCount(section), 0u);
    });
}

TEST(Device, ClearFailuresBecomeCode19WithTheCauseAndAreLogged) {
    LoggedContext context;
    SimulatedDevice simulated(context);
    simulated.sim.setLineOptions({.echo = true});
    simulated.sim.setFaults(Faults{.standardErrorFor = "DL", .standardErrorCode = 14});
    try {
        simulated.device->clearGdcDatalog();
        FAIL() << "a refused clear went unnoticed";
    } catch (const Error& e) {
        EXPECT_EQ(e.category, 3u);
        EXPECT_EQ(e.code, 19u);
        const std::string text = toUtf8(e.message);
        EXPECT_EQ(text.rfind("Caught an exception while clearing the GDC datalog. Received a standard error", 0), 0u)
            << text;
        EXPECT_EQ(context.lines(LogLevel::Error), std::vector<std::string>{text});
    }
    simulated.sim.withModel([](DetectorModel& model) { EXPECT_TRUE(model.maintenanceMode); });  // not rolled back
}

// The ready state is awaited for five seconds (here five polls) before the clear goes on anyway.
TEST(Device, ClearGoesOnWhenTheReadyStateNeverComes) {
    LoggedContext context;
    context.changePolicy("state_poll_ms=1000");
    SimulatedDevice simulated(context);
    simulated.sim.withModel([](DetectorModel& model) { model.state.force(3); });
    simulated.device->clearGdcDatalog();
    const auto requests = simulated.sim.requests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(requests[5].substr(0, 2), "BH");
    EXPECT_EQ(requests[6].substr(0, 2), "DL");
    EXPECT_EQ(context.lines(LogLevel::Info).size(), 5u);
}

}  // namespace
}  // namespace devlib_instr
