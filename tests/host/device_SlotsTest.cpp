// The device slots of the C table against the simulated detector.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "datalog_Host.hpp"

namespace datalog_host {
namespace {

using DeviceSlots = DatalogHost;

TEST_F(DeviceSlots, OpenValidatesItsArgumentsFirst) {
    struct Case {
        InstrDevice* device;
        const char* port;
    };
    for (const Case& c : {Case{nullptr, "/dev/null"}, Case{device, nullptr}, Case{device, ""}}) {
        InstrError* err = nullptr;
        EXPECT_FALSE(api->deviceOpen(c.device, c.port, &err));
        EXPECT_EQ(take(err), (Record{0, 1, u"Invalid argument."}));
    }
    InstrError* pending = api->errorCreate(2, 3, hostText(u"earlier"));
    InstrError* err = pending;
    EXPECT_FALSE(api->deviceOpen(device, "", &err));
    EXPECT_EQ(err, pending);  // an unhandled record stops the entry before anything else
    EXPECT_EQ(take(err), (Record{2, 3, u"earlier"}));
}

TEST_F(DeviceSlots, FailedOpenIsCode6AndInvalidDevicesAreNotOpen) {
    InstrError* err = nullptr;
    EXPECT_FALSE(api->deviceOpen(device, "/dev/torvik-no-such-port", &err));
    const Record record = take(err);
    EXPECT_EQ(record.category, 0u);
    EXPECT_EQ(record.code, 6u);
    EXPECT_TRUE(api->deviceIsOpen(device));  // the link that could not be built replaced nothing
    api->deviceClose(device);
    EXPECT_FALSE(api->deviceOpen(device, "/dev/torvik-no-such-port", &err));
    api->errorFree(&err);
    EXPECT_FALSE(api->deviceIsOpen(device));
    uint32_t garbage[16] = {};
    auto* foreign = reinterpret_cast<InstrDevice*>(garbage);
    EXPECT_FALSE(api->deviceOpen(foreign, "/dev/null", &err));  // no record for an invalid handle
    EXPECT_EQ(err, nullptr);
    EXPECT_FALSE(api->deviceIsOpen(foreign));
    EXPECT_FALSE(api->deviceIsOpen(nullptr));
    api->deviceClose(foreign);
    EXPECT_EQ(api->deviceCreate(nullptr), nullptr);
}

TEST_F(DeviceSlots, OpenAndClose) {
    EXPECT_TRUE(api->deviceIsOpen(device));
    api->deviceClose(device);
    EXPECT_FALSE(api->deviceIsOpen(device));
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceOpen(device, sim.portPath().c_str(), &err));
    EXPECT_TRUE(api->deviceIsOpen(device));
}

// The port is claimed exclusively: opening the port the device holds again replaces its link.
TEST_F(DeviceSlots, ReopeningTheSamePortSucceeds) {
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceOpen(device, sim.portPath().c_str(), &err));
    EXPECT_EQ(take(err).category, 99u);
    EXPECT_TRUE(api->deviceIsOpen(device));
    EXPECT_TRUE(api->deviceClearGdcDatalog(device, &err));  // exchanges on the new link
    EXPECT_EQ(take(err).category, 99u);
}

TEST_F(DeviceSlots, PortHeldByAnotherIsCode6AndLogged) {
    InstrDevice* second = api->deviceAddRef(api->deviceCreate(context));
    InstrError* err = nullptr;
    EXPECT_FALSE(api->deviceOpen(second, sim.portPath().c_str(), &err));
    EXPECT_EQ(take(err), (Record{0, 6, u"Unknown exception"}));
    EXPECT_TRUE(logged(3, u"Serial port " + wide(sim.portPath()) + u" is in use by another program or device"));
    EXPECT_FALSE(api->deviceIsOpen(second));
    EXPECT_TRUE(api->deviceIsOpen(device));
    api->deviceRelease(second);
}

TEST_F(DeviceSlots, WritingAContainerIsRefusedAndLogged) {
    InstrError* record = api->deviceWriteContainer(nullptr, device);
    EXPECT_EQ(take(record), (Record{2, 17, u""}));
    EXPECT_TRUE(logged(3, u"Writing to container is not supported for Torvik."));
    InstrError* invalid = api->deviceWriteContainer(nullptr, nullptr);
    EXPECT_EQ(take(invalid), (Record{2, 17, u""}));
}

TEST_F(DeviceSlots, ClearGdcDatalog) {
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceClearGdcDatalog(device, &err));
    EXPECT_EQ(err, nullptr);
    const std::vector<std::string> codes = commands();
    EXPECT_EQ(codes, (std::vector<std::string>{"AI", "BH", "DL"}));
    sim.withModel([](torvik::sim::DetectorModel& model) {
        EXPECT_TRUE(model.maintenanceMode);
        for (int section = 0; section < 6; ++section) EXPECT_EQ(model.datalog.pageCount(section), 0u);
    });
}

TEST_F(DeviceSlots, ClearFailuresAreRecords) {
    sim.setLineOptions({.echo = true});  // standard errors are recognised behind the echo
    sim.setFaults({.standardErrorFor = "BH", .standardErrorCode = 3});
    InstrError* err = nullptr;
    EXPECT_FALSE(api->deviceClearGdcDatalog(device, &err));
    EXPECT_EQ(take(err), (Record{3, 19,
                                 u"Caught an exception while clearing the GDC datalog. Received a standard error "
                                 u"response from device. Illegal parameter in command. (3)"}));
    EXPECT_FALSE(api->deviceClearGdcDatalog(nullptr, &err));
    EXPECT_EQ(take(err), (Record{0, 1, u"The API pointer is nullptr"}));
}

// The reader keeps its device and context for the whole run, whatever the host released.
TEST_F(DeviceSlots, ReaderOutlivesTheHostsReleases) {
    api->gdcDatalogReaderSetSectionSelected(reader, 0, 1);
    api->gdcDatalogReaderSetSectionSelected(reader, 1, 1);
    api->gdcDatalogReaderSetSectionSelected(reader, 2, 1);
    sim.setLineOptions({.replyDelayMs = 20});
    ASSERT_EQ(start().category, 99u);
    api->deviceRelease(device);
    api->contextRelease(context);
    device = nullptr;
    context = nullptr;
    EXPECT_TRUE(api->gdcDatalogReaderWait(reader, -1));
    EXPECT_TRUE(api->gdcDatalogReaderSucceeded(reader));
    EXPECT_EQ(torvik_test::readZip(path).names(), (std::vector<std::string>{"session.ddl", "gdcdatalogger.json"}));
}

// Releasing a running reader cancels the run and waits for it; its guards go last.
TEST_F(DeviceSlots, ReleasingARunningReaderCancelsAndWaits) {
    sim.setLineOptions({.replyDelayMs = 40});
    const std::vector<uint32_t> pointersBefore = readPointers();
    ASSERT_EQ(start().category, 99u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    api->deviceRelease(device);
    api->contextRelease(context);
    device = nullptr;
    context = nullptr;
    EXPECT_EQ(api->gdcDatalogReaderRelease(reader), 0);
    reader = nullptr;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(readPointers(), pointersBefore);
    EXPECT_TRUE(logged(3, u"Aborted by user"));
}

}  // namespace
}  // namespace datalog_host
