// The device slots of the C table against the simulated detector.
#include "support/DatalogHost.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using torvik::ErrorRecord;
using torvik::takeRecord;

using DeviceSlots = DatalogHost;

TEST_F(DeviceSlots, OpenValidatesItsArgumentsAndHandles) {
    struct Case {
        InstrDevice* device;
        const char* port;
    };
    InstrError* err = nullptr;
    for (const Case& c : {Case{nullptr, "/dev/null"}, Case{device.get(), nullptr}, Case{device.get(), ""}}) {
        EXPECT_FALSE(api->deviceOpen(c.device, c.port, &err));
        EXPECT_EQ(takeRecord(err), (ErrorRecord{General, 1, "Invalid argument."}));
    }
    for (const char* port : {"/dev/torvik-no-such-port", "/dev/null"}) {
        EXPECT_FALSE(api->deviceOpen(device.get(), port, &err));
        EXPECT_EQ(takeRecord(err), (ErrorRecord{General, 6, "Unknown exception"})) << port;
    }
    EXPECT_EQ(log.lines(3),
              (std::vector<std::string>{"Serial port /dev/torvik-no-such-port does not exist",
                                        "Serial port /dev/null does not open: Inappropriate ioctl for device"}));
    EXPECT_TRUE(api->deviceIsOpen(device.get()));  // the link that could not be built replaced nothing
    api->deviceClose(device.get());
    EXPECT_FALSE(api->deviceIsOpen(device.get()));
    EXPECT_TRUE(api->deviceOpen(device.get(), sim.portPath().c_str(), &err));
    EXPECT_TRUE(api->deviceIsOpen(device.get()));

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
    EXPECT_TRUE(api->deviceOpen(device.get(), sim.portPath().c_str(), &err));
    EXPECT_EQ(takeRecord(err), std::nullopt);
    const torvik::Device second(context);
    EXPECT_FALSE(api->deviceOpen(second.get(), sim.portPath().c_str(), &err));
    EXPECT_EQ(takeRecord(err), (ErrorRecord{General, 6, "Unknown exception"}));
    EXPECT_TRUE(logged(3, "Serial port " + sim.portPath() + " is in use by another program or device"));
    EXPECT_FALSE(api->deviceIsOpen(second.get()));
    EXPECT_TRUE(api->deviceClearGdcDatalog(device.get(), &err));  // exchanges on the new link
    EXPECT_EQ(takeRecord(err), std::nullopt);
}

TEST_F(DeviceSlots, ClearGdcDatalog) {
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceClearGdcDatalog(device.get(), &err));
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
    EXPECT_FALSE(api->deviceClearGdcDatalog(device.get(), &err));
    const ErrorRecord refused{FirmwareFlasher, 19,
                              "Caught an exception while clearing the GDC datalog. Received a standard error response "
                              "from device. Command received in wrong state. (14)"};
    EXPECT_EQ(takeRecord(err), refused);
    EXPECT_EQ(log.lines(3), std::vector<std::string>{refused.message});
    sim.withModel([](torvik::sim::DetectorModel& model) { EXPECT_TRUE(model.maintenanceMode); });
    EXPECT_FALSE(api->deviceClearGdcDatalog(nullptr, &err));
    EXPECT_EQ(takeRecord(err), (ErrorRecord{General, 1, "The API pointer is nullptr"}));
}

// The reader keeps its device and context for the whole run, whatever the host released.
TEST_F(DeviceSlots, ReaderOutlivesTheHostsReleases) {
    select({0, 1, 2});
    sim.setLineOptions({.replyDelayMs = 20});
    ASSERT_EQ(start(), std::nullopt);
    { const torvik::Device released(std::move(device)); }  // the host's references, given up
    { const torvik::Context released(std::move(context)); }
    EXPECT_TRUE(api->gdcDatalogReaderWait(reader.get(), -1));
    EXPECT_TRUE(succeeded());
    EXPECT_EQ(readZip(path).names(), (std::vector<std::string>{"session.ddl", "gdcdatalogger.json"}));
}

// Releasing a running reader cancels the run and waits for it; its guards go last. The host's last
// reference is one it took itself, so the owners and their log function go first: the lines go to
// a callback of the host's own.
TEST_F(DeviceSlots, ReleasingARunningReaderCancelsAndWaits) {
    sim.setLineOptions({.replyDelayMs = 40});
    const std::vector<uint32_t> pointersBefore = readPointers();
    LogCollector<> lines;
    api->contextSetLogCallback(context.get(), &LogCollector<>::callback, &lines);
    ASSERT_EQ(start(), std::nullopt);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    InstrGdcDatalogReader* last = api->gdcDatalogReaderAddRef(reader.get());
    { const torvik::Device released(std::move(device)); }
    { const torvik::Context released(std::move(context)); }
    { const torvik::DatalogReader released(std::move(reader)); }
    EXPECT_EQ(api->gdcDatalogReaderRelease(last), 0);
    expectNothingLeft(path, pointersBefore);
    EXPECT_TRUE(lines.contains(3, u"Aborted by user"));
}

}  // namespace
}  // namespace torvik_test
