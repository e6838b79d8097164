// The device slots of the C table against the simulated detector.
#include "support/DatalogHost.hpp"

namespace torvik_test {
namespace {

using DeviceSlots = DatalogHost;

TEST_F(DeviceSlots, OpenValidatesItsArgumentsAndHandles) {
    struct Case {
        InstrDevice* device;
        const char* port;
    };
    InstrError* err = nullptr;
    for (const Case& c : {Case{nullptr, "/dev/null"}, Case{device, nullptr}, Case{device, ""}}) {
        EXPECT_FALSE(api->deviceOpen(c.device, c.port, &err));
        EXPECT_EQ(takeRecord(err), (Record{0, 1, u"Invalid argument."}));
    }
    EXPECT_FALSE(api->deviceOpen(device, "/dev/torvik-no-such-port", &err));
    const Record failed = takeRecord(err);
    EXPECT_EQ(failed.category, 0u);
    EXPECT_EQ(failed.code, 6u);
    EXPECT_FALSE(api->deviceOpen(device, "/dev/null", &err));
    EXPECT_EQ(takeRecord(err).code, 6u);
    EXPECT_EQ(log.lines(3),
              (std::vector<std::u16string>{u"Serial port /dev/torvik-no-such-port does not exist",
                                           u"Serial port /dev/null does not open: Inappropriate ioctl for device"}));
    EXPECT_TRUE(api->deviceIsOpen(device));  // the link that could not be built replaced nothing
    api->deviceClose(device);
    EXPECT_FALSE(api->deviceIsOpen(device));
    EXPECT_TRUE(api->deviceOpen(device, sim.portPath().c_str(), &err));
    EXPECT_TRUE(api->deviceIsOpen(device));

    uint32_t garbage[16] = {};
    auto* foreign = reinterpret_cast<InstrDevice*>(garbage);
    EXPECT_FALSE(api->deviceOpen(foreign, "/dev/null", &err));  // no record for an invalid handle
    EXPECT_EQ(err, nullptr);
    EXPECT_FALSE(api->deviceIsOpen(foreign));
    EXPECT_FALSE(api->deviceIsOpen(nullptr));
    api->deviceClose(foreign);
    EXPECT_EQ(api->deviceCreate(nullptr), nullptr);
}

// The port is claimed exclusively: opening the port the device holds again replaces its link,
// another device gets code 6.
TEST_F(DeviceSlots, PortIsClaimedExclusively) {
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceOpen(device, sim.portPath().c_str(), &err));
    EXPECT_EQ(takeRecord(err).category, 99u);
    InstrDevice* second = api->deviceAddRef(api->deviceCreate(context));
    EXPECT_FALSE(api->deviceOpen(second, sim.portPath().c_str(), &err));
    EXPECT_EQ(takeRecord(err), (Record{0, 6, u"Unknown exception"}));
    EXPECT_TRUE(logged(3, u"Serial port " + wide(sim.portPath()) + u" is in use by another program or device"));
    EXPECT_FALSE(api->deviceIsOpen(second));
    api->deviceRelease(second);
    EXPECT_TRUE(api->deviceClearGdcDatalog(device, &err));  // exchanges on the new link
    EXPECT_EQ(takeRecord(err).category, 99u);
}

TEST_F(DeviceSlots, ClearGdcDatalog) {
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceClearGdcDatalog(device, &err));
    EXPECT_EQ(err, nullptr);
    EXPECT_EQ(commands(), (std::vector<std::string>{"AI", "BH", "DL"}));
    for (int section = 0; section < 6; ++section) EXPECT_EQ(pageCount(section), 0u);
    sim.withModel([](torvik::sim::DetectorModel& model) {
        EXPECT_TRUE(model.maintenanceMode);
        EXPECT_EQ(model.maintenanceDuration, 30u);
    });

    // A refused clear is logged once at ERROR; the device stays in maintenance mode until it times out.
    sim.setLineOptions({.echo = true});  // standard errors are recognised behind the echo
    sim.setFaults({.standardErrorFor = "DL", .standardErrorCode = 14});
    EXPECT_FALSE(api->deviceClearGdcDatalog(device, &err));
    const Record refused{3, 19,
                         u"Caught an exception while clearing the GDC datalog. Received a standard error response "
                         u"from device. Command received in wrong state. (14)"};
    EXPECT_EQ(takeRecord(err), refused);
    EXPECT_EQ(log.lines(3), std::vector<std::u16string>{refused.message});
    sim.withModel([](torvik::sim::DetectorModel& model) { EXPECT_TRUE(model.maintenanceMode); });
    EXPECT_FALSE(api->deviceClearGdcDatalog(nullptr, &err));
    EXPECT_EQ(takeRecord(err), (Record{0, 1, u"The API pointer is nullptr"}));
}

// The reader keeps its device and context for the whole run, whatever the host released.
TEST_F(DeviceSlots, ReaderOutlivesTheHostsReleases) {
    select({0, 1, 2});
    sim.setLineOptions({.replyDelayMs = 20});
    ASSERT_EQ(start().category, 99u);
    api->deviceRelease(std::exchange(device, nullptr));
    api->contextRelease(std::exchange(context, nullptr));
    EXPECT_TRUE(api->gdcDatalogReaderWait(reader, -1));
    EXPECT_TRUE(succeeded());
    EXPECT_EQ(readZip(path).names(), (std::vector<std::string>{"session.ddl", "gdcdatalogger.json"}));
}

// Releasing a running reader cancels the run and waits for it; its guards go last.
TEST_F(DeviceSlots, ReleasingARunningReaderCancelsAndWaits) {
    sim.setLineOptions({.replyDelayMs = 40});
    const std::vector<uint32_t> pointersBefore = readPointers();
    ASSERT_EQ(start().category, 99u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    api->deviceRelease(std::exchange(device, nullptr));
    api->contextRelease(std::exchange(context, nullptr));
    EXPECT_EQ(api->gdcDatalogReaderRelease(std::exchange(reader, nullptr)), 0);
    expectNothingLeft(pointersBefore);
    EXPECT_TRUE(logged(3, u"Aborted by user"));
}

}  // namespace
}  // namespace torvik_test
