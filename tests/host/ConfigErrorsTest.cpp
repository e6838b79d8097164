// Bad requests, bad handles and a detector that stops answering: what the host gets back.
#include <string>

#include "support/ConfigHost.hpp"

namespace torvik_test {
namespace {

struct BadRequest {
    const char* name;
    std::string text;
    Record readError;  // the message is a prefix
    Record writeError;
};

const std::u16string readPrefix = u"Caught an exception while reading the configuration. ";
const std::u16string writePrefix = u"Caught an exception while parsing the JSON configuration request. ";
const std::u16string nullVersion = u"[json.exception.type_error.302] type must be string, but is null";
const std::u16string numberVersion = u"[json.exception.type_error.302] type must be string, but is number";
const std::u16string badPath = u"Invalid key in JSON for node path: channels.0.alarms.upper_a1.colour";
const std::u16string badType = u"Invalid data type in JSON for node path: device.life_signal.use_led";
// A root that is no object has no members: reading "version" raises the JSON library's type error.
const std::u16string rootWithout =
    u"[json.exception.type_error.305] cannot use operator[] with a string argument with ";

const BadRequest badRequests[] = {
    {"WrongVersion",
     R"({"version":"1.0.5","device":null})",
     {5, 18, u"Converting of the read response in the internal structure failed"},
     {5, 18, u"Converting of the write request in the internal structure failed"}},
    {"UnknownPath",
     document(R"("channels":{"0":{"alarms":{"upper_a1":{"colour":"red"}}}})"),
     {5, 1, badPath},
     {5, 1, badPath}},
    {"WrongType", document(R"("device":{"life_signal":{"use_led":"yes"}})"), {5, 1, badType}, {5, 1, badType}},
    {"EmptyObject", "{}", {5, 18, u"JSON data can not be parsed"}, {5, 18, u"JSON data can not be parsed"}},
    {"ArrayRoot", "[1]", {5, 19, readPrefix + rootWithout + u"array"}, {5, 18, writePrefix + rootWithout + u"array"}},
    {"NumberRoot", "5", {5, 19, readPrefix + rootWithout + u"number"}, {5, 18, writePrefix + rootWithout + u"number"}},
    {"StringRoot",
     R"("x")",
     {5, 19, readPrefix + rootWithout + u"string"},
     {5, 18, writePrefix + rootWithout + u"string"}},
    {"NotJson", "version 1.0.6", {5, 19, readPrefix}, {5, 18, writePrefix}},
    {"NoVersion", R"({"device":null})", {5, 19, readPrefix + nullVersion}, {5, 18, writePrefix + nullVersion}},
    {"NumberVersion",
     R"({"version":106,"device":null})",
     {5, 19, readPrefix + numberVersion},
     {5, 18, writePrefix + numberVersion}},
};

TEST_F(ConfigHost, BadRequestsGetTheirMessages) {
    for (const BadRequest& bad : badRequests) {
        SCOPED_TRACE(bad.name);
        for (const bool reading : {true, false}) {
            const Outcome outcome = reading ? read(bad.text) : write(bad.text);
            EXPECT_FALSE(outcome.ok);
            EXPECT_EQ(outcome.err.category, 99u);  // the failure is in the error list, not in err
            const std::vector<Record> list = errors();
            ASSERT_EQ(list.size(), 1u);
            const Record& expected = reading ? bad.readError : bad.writeError;
            EXPECT_EQ(std::pair(list[0].category, list[0].code), std::pair(expected.category, expected.code));
            EXPECT_TRUE(list[0].message.starts_with(expected.message)) << narrow(list[0].message);
        }
    }
    EXPECT_TRUE(sim.requests().empty());  // nothing reached the detector
}

// The records keep their texts; the log says what was wrong, at ERROR beside the record.
TEST_F(ConfigHost, RefusalsExplainTheValueExpected) {
    const struct {
        const char* name;
        std::string text;
        std::u16string logged;
    } cases[] = {
        {"WrongVersion", R"({"version":"1.0.5","device":{"switch_off":"allowed"}})",
         uR"(The request's "version" is "1.0.5": this library reads and writes "1.0.6")"},
        {"UnknownText", document(R"("device":{"switch_off":"sometimes"})"),
         uR"("sometimes" is not a value of device.switch_off: the allowed values are "allowed", )"
         uR"("not allowed during a2", "not allowed")"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.name);
        ASSERT_FALSE(write(bad.text).ok);
        EXPECT_TRUE(logged(3, bad.logged));
    }
    EXPECT_TRUE(sim.requests().empty());
}

TEST_F(ConfigHost, ErrorListCountsWithoutAListAndClearsOnSuccess) {
    ASSERT_FALSE(read("{}").ok);
    EXPECT_EQ(api->configurationGetErrors(configuration, nullptr, 5), 1u);
    ASSERT_TRUE(read(document(R"("device":{"switch_off":null})")).ok);
    EXPECT_TRUE(errors().empty());
}

TEST_F(ConfigHost, InvalidHandlesAndClosedDevices) {
    const std::string request = document(R"("device":null)");
    const ArrayRef array(request);
    InstrByteArray* in = array.handle;
    const Record nullPointer{0, 1, u"The API pointer is nullptr"};
    InstrError* err = nullptr;
    EXPECT_FALSE(api->configurationRead(configuration, in, 0, nullptr, &err));
    EXPECT_EQ(takeRecord(err), nullPointer);
    EXPECT_FALSE(api->configurationWrite(configuration, nullptr, &err));
    EXPECT_EQ(takeRecord(err), nullPointer);
    EXPECT_FALSE(api->configurationRead(nullptr, in, 0, in, &err));
    EXPECT_EQ(takeRecord(err), nullPointer);
    EXPECT_EQ(api->configurationGetErrors(nullptr, nullptr, 0), 0u);
    EXPECT_EQ(api->configurationCreate(nullptr), nullptr);
    EXPECT_TRUE(sim.requests().empty());

    api->deviceClose(device);
    ASSERT_FALSE(read(request).ok);
    EXPECT_EQ(errors(), (std::vector<Record>{{5, 9, u"Device is not connected or serial port is not defined"}}));
}

// A write that stops: the cause first, then, when the device was left connected or switched off,
// what a technician has to do about it. The cause is logged once at ERROR.
struct StoppedWrite {
    const char* name;
    torvik::sim::Faults faults;
    Record cause;
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
    std::vector<Record> expected{c.cause};
    if (c.leftConnected)
        expected.push_back({5, 19,
                            u"The write stopped with the device still connected for a database write; it may have "
                            u"written part of a section. Write the configuration again."});
    if (c.leftOff)
        expected.push_back({5, 19,
                            u"The write stopped with the device switched off; sections written before stay written. "
                            u"Switch the device on and write the configuration again."});
    EXPECT_EQ(errors(), expected);
    EXPECT_EQ(log.lines(3),
              std::vector<std::u16string>{u"An error occurred while writing the database: " + c.cause.message});
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

const Record blockNotWritten{4, 4, u"Writing {256} byte(s) to database failed at address 67108864"};
const Record illegalCommand{5, 19, u"Received a standard error response from device. Illegal command. (1)"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigWriteStops,
    testing::Values(StoppedWrite{"BlockUnanswered", {.silentFor = "AW"}, blockNotWritten, true, true},
                    StoppedWrite{"BlockRefused", {.standardErrorFor = "AW"}, blockNotWritten, true, true},
                    StoppedWrite{"ConnectRefused", {.standardErrorFor = "AC"}, illegalCommand, true, false},
                    StoppedWrite{"StateUnreadable", {.standardErrorFor = "AI"}, illegalCommand, false, false}),
    [](const testing::TestParamInfo<StoppedWrite>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvik_test
