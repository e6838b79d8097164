// Bad requests, bad handles and a detector that stops answering: what the host gets back.
#include <string>

#include "support/ConfigHost.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using torvik::ErrorRecord;

struct BadRequest {
    const char* name;
    std::string text;
    ErrorRecord readError;  // the message is a prefix
    ErrorRecord writeError;
};

const std::string readPrefix = "Caught an exception while reading the configuration. ";
const std::string writePrefix = "Caught an exception while parsing the JSON configuration request. ";
const std::string nullVersion = "[json.exception.type_error.302] type must be string, but is null";
const std::string numberVersion = "[json.exception.type_error.302] type must be string, but is number";
const std::string badPath = "Invalid key in JSON for node path: channels.0.alarms.upper_a1.colour";
const std::string badType = "Invalid data type in JSON for node path: device.life_signal.use_led";
// A root that is no object has no members: reading "version" raises the JSON library's type error.
const std::string rootWithout = "[json.exception.type_error.305] cannot use operator[] with a string argument with ";

const BadRequest badRequests[] = {
    {"WrongVersion",
     R"({"version":"1.0.5","device":null})",
     {ContainerWriter, 18, "Converting of the read response in the internal structure failed"},
     {ContainerWriter, 18, "Converting of the write request in the internal structure failed"}},
    {"UnknownPath",
     document(R"("channels":{"0":{"alarms":{"upper_a1":{"colour":"red"}}}})"),
     {ContainerWriter, 1, badPath},
     {ContainerWriter, 1, badPath}},
    {"WrongType",
     document(R"("device":{"life_signal":{"use_led":"yes"}})"),
     {ContainerWriter, 1, badType},
     {ContainerWriter, 1, badType}},
    {"EmptyObject",
     "{}",
     {ContainerWriter, 18, "JSON data can not be parsed"},
     {ContainerWriter, 18, "JSON data can not be parsed"}},
    {"ArrayRoot",
     "[1]",
     {ContainerWriter, 19, readPrefix + rootWithout + "array"},
     {ContainerWriter, 18, writePrefix + rootWithout + "array"}},
    {"NumberRoot",
     "5",
     {ContainerWriter, 19, readPrefix + rootWithout + "number"},
     {ContainerWriter, 18, writePrefix + rootWithout + "number"}},
    {"StringRoot",
     R"("x")",
     {ContainerWriter, 19, readPrefix + rootWithout + "string"},
     {ContainerWriter, 18, writePrefix + rootWithout + "string"}},
    {"NotJson", "version 1.0.6", {ContainerWriter, 19, readPrefix}, {ContainerWriter, 18, writePrefix}},
    {"NoVersion",
     R"({"device":null})",
     {ContainerWriter, 19, readPrefix + nullVersion},
     {ContainerWriter, 18, writePrefix + nullVersion}},
    {"NumberVersion",
     R"({"version":106,"device":null})",
     {ContainerWriter, 19, readPrefix + numberVersion},
     {ContainerWriter, 18, writePrefix + numberVersion}},
};

TEST_F(ConfigHost, BadRequestsGetTheirMessages) {
    for (const BadRequest& bad : badRequests) {
        SCOPED_TRACE(bad.name);
        for (const bool reading : {true, false}) {
            const Outcome outcome = reading ? read(bad.text) : write(bad.text);
            EXPECT_FALSE(outcome.ok);
            EXPECT_EQ(outcome.err, std::nullopt);  // the failure is in the error list, not in err
            const std::vector<ErrorRecord> list = errors();
            ASSERT_EQ(list.size(), 1u);
            const ErrorRecord& expected = reading ? bad.readError : bad.writeError;
            EXPECT_EQ(std::pair(list[0].category, list[0].code), std::pair(expected.category, expected.code));
            EXPECT_TRUE(list[0].message.starts_with(expected.message)) << list[0].message;
        }
    }
    EXPECT_TRUE(sim.requests().empty());  // nothing reached the detector
}

// The slot gives the list's length whatever the capacity, and copies no further than the list and
// the capacity go.
TEST_F(ConfigHost, ErrorListCountsWithoutAListAndClearsOnSuccess) {
    ASSERT_FALSE(read("{}").ok);
    EXPECT_EQ(api->configurationGetErrors(configuration.get(), nullptr, 5), 1u);
    InstrError* list[2] = {};
    EXPECT_EQ(api->configurationGetErrors(configuration.get(), list, 0), 1u);
    EXPECT_EQ(list[0], nullptr);
    EXPECT_EQ(api->configurationGetErrors(configuration.get(), list, 2), 1u);
    EXPECT_EQ(list[1], nullptr);
    EXPECT_EQ(torvik::takeRecord(list[0]), (ErrorRecord{ContainerWriter, 18, "JSON data can not be parsed"}));
    ASSERT_TRUE(read(document(R"("device":{"switch_off":null})")).ok);
    EXPECT_TRUE(errors().empty());
}

TEST_F(ConfigHost, InvalidHandlesAndClosedDevices) {
    const std::string request = document(R"("device":null)");
    const torvik::ByteArray array(request);
    InstrByteArray* in = array.get();
    const ErrorRecord nullPointer{General, 1, "The API pointer is nullptr"};
    InstrError* err = nullptr;
    EXPECT_FALSE(api->configurationRead(configuration.get(), in, 0, nullptr, &err));
    EXPECT_EQ(torvik::takeRecord(err), nullPointer);
    EXPECT_FALSE(api->configurationWrite(configuration.get(), nullptr, &err));
    EXPECT_EQ(torvik::takeRecord(err), nullPointer);
    EXPECT_FALSE(api->configurationRead(nullptr, in, 0, in, &err));
    EXPECT_EQ(torvik::takeRecord(err), nullPointer);
    EXPECT_EQ(api->configurationGetErrors(nullptr, nullptr, 0), 0u);
    EXPECT_EQ(api->configurationCreate(nullptr), nullptr);
    EXPECT_TRUE(sim.requests().empty());

    api->deviceClose(device.get());
    ASSERT_FALSE(read(request).ok);
    EXPECT_EQ(
        errors(),
        (std::vector<ErrorRecord>{{ContainerWriter, 9, "Device is not connected or serial port is not defined"}}));
}

// A write that stops: the cause first, then, when the device was left connected or switched off,
// what a technician has to do about it. The cause is logged once at ERROR.
struct StoppedWrite {
    const char* name;
    torvik::sim::Faults faults;
    ErrorRecord cause;
    bool leftOff;
    bool leftConnected;
};

class ConfigWriteStops : public ConfigHost, public testing::WithParamInterface<StoppedWrite> {
protected:
    ConfigWriteStops() : ConfigHost(shortReplies) {}
};

TEST_P(ConfigWriteStops, CauseAndDeviceStateAreReported) {
    const StoppedWrite& c = GetParam();
    const std::string switchOff = document(R"("device":{"switch_off":"allowed"})");
    sim.setLineOptions({.echo = true});  // the line on which standard error replies arrive whole
    sim.setFaults(c.faults);
    EXPECT_FALSE(write(switchOff).ok);
    std::vector<ErrorRecord> expected{c.cause};
    if (c.leftConnected)
        expected.push_back({ContainerWriter, 19,
                            "The write stopped with the device still connected for a database write; it may have "
                            "written part of a section. Write the configuration again."});
    if (c.leftOff)
        expected.push_back({ContainerWriter, 19,
                            "The write stopped with the device switched off; sections written before stay written. "
                            "Switch the device on and write the configuration again."});
    EXPECT_EQ(errors(), expected);
    EXPECT_EQ(log.lines(3),
              std::vector<std::string>{"An error occurred while writing the database: " + c.cause.message});
    EXPECT_EQ(count("AM"), 0u);
    EXPECT_EQ(count("AO"), c.leftOff ? 1u : 0u);
    EXPECT_EQ(deviceState(), c.leftOff ? torvik::sim::kStateOff : torvik::sim::kStateOn);
    EXPECT_EQ(database().u8(torvik::sim::db::kDeviceConfig + 38), 0x02);  // nothing written
    // What the records ask for: the device switched on, the document written again.
    sim.setFaults({});
    sim.withModel([](torvik::sim::DetectorModel& model) { model.state.force(torvik::sim::kStateOn); });
    EXPECT_TRUE(write(switchOff).ok);
    EXPECT_EQ(deviceState(), torvik::sim::kStateOn);
    EXPECT_EQ(database().u8(torvik::sim::db::kDeviceConfig + 38), 0x00);
}

const ErrorRecord blockNotWritten{Container, 4, "Writing {256} byte(s) to database failed at address 67108864"};
const ErrorRecord illegalCommand{ContainerWriter, 19,
                                 "Received a standard error response from device. Illegal command. (1)"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigWriteStops,
    testing::Values(StoppedWrite{"BlockUnanswered", {.silentFor = "AW"}, blockNotWritten, true, true},
                    StoppedWrite{"BlockRefused", {.standardErrorFor = "AW"}, blockNotWritten, true, true},
                    StoppedWrite{"ConnectRefused", {.standardErrorFor = "AC"}, illegalCommand, true, false},
                    StoppedWrite{"StateUnreadable", {.standardErrorFor = "AI"}, illegalCommand, false, false}),
    [](const testing::TestParamInfo<StoppedWrite>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvik_test
