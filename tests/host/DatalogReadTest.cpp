// Reading the GDC datalog of the simulated detector into an archive through the C table.
#include <cctype>
#include <fstream>
#include <functional>
#include <optional>

#include "support/DatalogHost.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using nlohmann::json;
using torvik::ErrorRecord;
using torvik::sim::DatalogEncoding;

const char* const entryNames[] = {"measurement.ddl", "event.ddl", "control.ddl", "session.ddl", "debug.ddl"};
const char* const dataTypes[] = {"measurementData", "eventData", "controlData", "sessionData", "debugData"};

// "2024-05-01T10:00:00" followed by the zone suffix (std::regex trips GCC 12's sanitizer build).
bool isIsoTimeWithSuffix(const std::string& text, const std::string& suffix) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != shape.size() + suffix.size() || !text.ends_with(suffix)) return false;
    for (size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return false;
    return true;
}

// The host's zone: TZ and PELLO_TZ_OFFSET_SEC, and what the archive shows. The time steps never
// fail a read: a zone the database does not know is named by TZ and its times come from the C
// library.
struct Zone {
    const char* tz;
    std::optional<std::string> offset;
    const char* deviceDate;    // the device clock 2026-03-14 09:26:53, read in this zone
    const char* winterSuffix;  // of the creation date, when the zone keeps standard time
    const char* summerSuffix;  // when it keeps daylight-saving time
};
// Berlin winter time is UTC+1: the device's 08:26:53 UTC is shown at the overriding offset without
// adding it.
const Zone berlinAtMinusOne{"Europe/Berlin", "-3600", "2026-03-14T08:26:53-0100", "-0100", "-0100"};
const Zone posixRule{"CET-1CEST,M3.5.0,M10.5.0/3", std::nullopt, "2026-03-14T09:26:53+0100", "+0100", "+0200"};
const Zone signedOffset{"Europe/Berlin", " +5400", "2026-03-14T08:26:53+0130", "+0130", "+0130"};

struct SelectionCase {
    const char* name;
    std::vector<uint32_t> options;
    std::vector<int> sections;        // stored, in order
    std::vector<bool> fromBeginning;  // per stored section
    std::vector<std::string> moves;   // read-pointer requests, in order
    Zone zone = berlinAtMinusOne;
    DatalogEncoding encoding = DatalogEncoding::Auto;
};

class DatalogSelection : public DatalogHost, public testing::WithParamInterface<SelectionCase> {};

TEST_P(DatalogSelection, ArchiveHoldsTheSectionsAndTheMetadata) {
    const SelectionCase& c = GetParam();
    EnvironmentGuard zone("TZ", c.zone.tz);
    EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", c.zone.offset);
    sim.withModel([&](torvik::sim::DetectorModel& model) { model.datalogOptions.encoding = c.encoding; });
    const std::vector<uint32_t> pointersBefore = readPointers();
    std::vector<std::string> expectedData;
    json loggerData = json::array();
    for (size_t i = 0; i < c.sections.size(); ++i) {
        const int s = c.sections[i];
        const uint32_t first = c.fromBeginning[i] ? 0 : pointersBefore[s];
        expectedData.push_back(sectionBytes(s, first));
        loggerData.push_back({{"loggerDataType", dataTypes[s]},
                              {"loggerDataName", entryNames[s]},
                              {"loggerDataFirstPageOffset", first}});
    }
    for (uint32_t option : c.options) api->gdcDatalogReaderSetSectionSelected(reader.get(), option, 1);

    const std::vector<double> progress = runToEnd();
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GE(progress.front(), 0.0);
    EXPECT_EQ(progress.back(), 1.0);
    EXPECT_TRUE(succeeded()) << firstError(errors());

    const auto archive = readZip(path);
    ASSERT_TRUE(archive.intact);
    std::vector<std::string> names;
    for (int s : c.sections) names.push_back(entryNames[s]);
    names.push_back("gdcdatalogger.json");
    ASSERT_EQ(archive.names(), names);
    for (size_t i = 0; i < archive.entries.size(); ++i) EXPECT_EQ(archive.entries[i].method, 0u) << names[i];
    for (size_t i = 0; i < c.sections.size(); ++i) EXPECT_EQ(archive.entries[i].data, expectedData[i]) << names[i];

    // The creation date is the host's clock: its shape and zone suffix are checked, the value is taken.
    const json document = json::parse(archive.entries.back().data);
    const std::string created = document["file"]["fileCreationDateISO8601"];
    const bool summer = document["file"]["fileCreationDST"] == "true";
    EXPECT_TRUE(isIsoTimeWithSuffix(created, summer ? c.zone.summerSuffix : c.zone.winterSuffix)) << created;
    EXPECT_EQ(document, (json{{"content",
                               {{"loggerInfo", {{"pageSize", 256}, {"version", 3}, {"measurementVariant", "long"}}},
                                {"loggerData", loggerData}}},
                              {"device",
                               {{"deviceId", "83211"},
                                {"devicePartnumber", "8327640"},
                                {"deviceSerialnumber", "2461-0137"},
                                {"deviceDateISO8601", c.zone.deviceDate},
                                {"deviceFirmwareVersion", "1.5"}}},
                              {"file",
                               {{"fileType", "gdcdatalogger"},
                                {"fileVersion", "1.5.0"},
                                {"fileCreatingSoftware", "Torvik Device Library"},
                                {"fileCreatingSoftwareVersion", "02.09.00"},
                                {"fileCreationTimezone", c.zone.tz},
                                {"fileCreationDST", summer ? "true" : "false"},
                                {"fileCreationDateISO8601", created}}},
                              {"gateway", {{"name", "Unknown"}, {"version", "Unknown"}}}}));

    // Read pointers move only for new-data sections, in order, once every section was read.
    const std::vector<std::string> codes = commands();
    std::vector<std::string> moves;
    std::copy_if(codes.begin(), codes.end(), std::back_inserter(moves),
                 [](auto& code) { return code.starts_with("DP"); });
    EXPECT_EQ(moves, c.moves);
    const auto lastRead =
        std::find_if(codes.rbegin(), codes.rend(), [](auto& code) { return code == "DM" || code == "DN"; });
    const auto firstMove = std::find_if(codes.begin(), codes.end(), [](auto& code) { return code.starts_with("DP"); });
    EXPECT_LE(codes.rend() - lastRead, firstMove - codes.begin());
    const std::vector<uint32_t> pointersAfter = readPointers();
    for (int s = 0; s < 6; ++s) {
        const bool moved = std::count(c.moves.begin(), c.moves.end(), "DP" + std::to_string(s)) == 1;
        EXPECT_EQ(pointersAfter[s], moved ? pageCount(s) : pointersBefore[s]) << "section " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Selections, DatalogSelection,
    testing::Values(SelectionCase{"NewData", {}, {0, 1, 3, 4}, {false, false, true, false}, {"DP0", "DP1", "DP4"}},
                    SelectionCase{"Everything", {3}, {0, 1, 3, 4}, {true, true, true, true}, {}, posixRule},
                    SelectionCase{"SessionOnly", {0, 1, 2, 7}, {3}, {true}, {}, signedOffset},  // 7 means nothing
                    // Replies of four pages substituted are over 1024 characters long, in several
                    // blocks with keys of their own.
                    SelectionCase{"NewDataSubstituted",
                                  {},
                                  {0, 1, 3, 4},
                                  {false, false, true, false},
                                  {"DP0", "DP1", "DP4"},
                                  berlinAtMinusOne,
                                  DatalogEncoding::Substitution}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

// Texts outside the Basic Multilingual Plane (surrogate pairs) in the gateway texts and in the
// path reach the archive as UTF-8.
TEST_F(DatalogHost, TextsOutsideTheBasicPlaneReachTheArchive) {
    api->gdcDatalogReaderSetTexts(reader.get(), u"Fleet Station", nullptr);  // ignored: one text missing
    api->gdcDatalogReaderSetTexts(reader.get(), u"Gateway \u00C5 \U0001F69B", u"7.1");
    const std::string stem = path.substr(0, path.size() - 4);  // ASCII, without ".zip"
    path = stem + "-\xF0\x9F\x9A\x9B.zip";
    api->gdcDatalogReaderSetOutputPath(reader.get(), (torvik::text::toWide(stem) + u"-\U0001F69B.zip").c_str());
    select({0, 1, 2});
    runToEnd();
    EXPECT_TRUE(succeeded()) << firstError(errors());
    const auto archive = readZip(path);
    ASSERT_FALSE(archive.entries.empty());
    const json document = json::parse(archive.entries.back().data);
    EXPECT_EQ(document["gateway"], (json{{"name", "Gateway \xC3\x85 \xF0\x9F\x9A\x9B"}, {"version", "7.1"}}));
    EXPECT_EQ(archive.entries.back().data, document.dump());  // compact, members sorted, UTF-8 unescaped
}

// A device clock that the C library's local-time conversion does not take (in UTC its
// 1969-12-31 23:59:59 is the time value -1, the conversion's failure) is shown as reported,
// formatted with "%FT%T%z": glibc writes no offset for a time whose daylight flag is unknown.
TEST_F(DatalogHost, DeviceClockTheCLibraryCannotConvertIsShownAsReported) {
    EnvironmentGuard zone("TZ", "UTC");
    EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", std::nullopt);
    sim.withModel([](torvik::sim::DetectorModel& model) { model.clock = {25566, 86399}; });
    select({0, 1, 2});
    runToEnd();
    ASSERT_TRUE(succeeded()) << firstError(errors());
    const auto archive = readZip(path);
    ASSERT_FALSE(archive.entries.empty());
    EXPECT_EQ(json::parse(archive.entries.back().data)["device"]["deviceDateISO8601"], "1969-12-31T23:59:59");
}

// Progress follows the reads: preparation is the first tenth, each of the four sections a quarter of
// the rest, so when a section's read begins, the progress shows no more than the sections before it.
TEST_F(DatalogHost, ProgressDoesNotRunAheadOfTheReads) {
    struct Seen {
        const InstrumentAPI* api;
        InstrGdcDatalogReader* reader;
        std::vector<double> atSectionStart;
    } seen{api, reader.get(), {}};
    api->contextSetLogCallback(
        context.get(),
        [](int32_t, const InstrWChar* text, void* user) {
            auto* s = static_cast<Seen*>(user);
            if (!textOf(text).starts_with(u"Reading _")) return;
            double progress = -1;
            s->api->gdcDatalogReaderGetProgress(s->reader, &progress);
            s->atSectionStart.push_back(progress);
        },
        &seen);
    runToEnd();
    ASSERT_TRUE(succeeded()) << firstError(errors());
    ASSERT_EQ(seen.atSectionStart.size(), 4u);
    EXPECT_DOUBLE_EQ(seen.atSectionStart[0], 0.1);
    for (size_t i = 1; i < seen.atSectionStart.size(); ++i)
        EXPECT_LE(seen.atSectionStart[i], 0.1 + 0.225 * i + 1e-9) << i;
}

TEST_F(DatalogHost, AbortDuringASectionLeavesNothing) {
    sim.setLineOptions({.replyDelayMs = 60});
    const std::vector<uint32_t> pointersBefore = readPointers();
    ASSERT_EQ(start(), std::nullopt);
    for (double progress = 0; progress <= 0.1 && !api->gdcDatalogReaderIsFinished(reader.get());) {
        api->gdcDatalogReaderGetProgress(reader.get(), &progress);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    InstrError* err = nullptr;
    EXPECT_TRUE(api->gdcDatalogReaderAbort(reader.get(), &err));
    EXPECT_EQ(err, nullptr);
    EXPECT_TRUE(api->gdcDatalogReaderWait(reader.get(), -1));
    EXPECT_EQ(errors(), (std::vector<ErrorRecord>{{FirmwareFlasher, 8, "Aborted by user"}}));
    EXPECT_FALSE(succeeded());
    EXPECT_TRUE(logged(3, "Aborted by user"));
    expectNothingLeft(path, pointersBefore);
}

// Start refuses what it cannot do before anything reaches the device; once the cause is gone the
// same reader starts.
TEST_F(DatalogHost, StartRefusalsLeaveEverythingAsItWas) {
    { std::ofstream(path) << "keep me"; }
    EXPECT_EQ(start(), (ErrorRecord{FirmwareFlasher, 1, "Output file exists"}));
    EXPECT_FALSE(api->gdcDatalogReaderIsFinished(reader.get()));
    EXPECT_FALSE(api->gdcDatalogReaderWait(reader.get(), 1000));  // never started: returns at once
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
    std::filesystem::remove(path);
    const ErrorRecord undefined{FirmwareFlasher, 1, "Device or the output file path is not defined"};
    api->gdcDatalogReaderSetOutputPath(reader.get(), u"");
    EXPECT_EQ(start(), undefined);
    EXPECT_TRUE(logged(3, undefined.message));
    api->gdcDatalogReaderSetOutputPath(reader.get(), torvik::text::toWide(path).c_str());
    device.close();
    EXPECT_EQ(start(), (ErrorRecord{FirmwareFlasher, 9, "Device is not connected or serial port is not defined"}));
    EXPECT_TRUE(sim.requests().empty());
    api->gdcDatalogReaderSetDevice(reader.get(), nullptr);  // an invalid device leaves the reader without one
    EXPECT_EQ(start(), undefined);
    device.open(sim.portPath());
    api->gdcDatalogReaderSetDevice(reader.get(), device.get());
    select({0, 1, 2});
    runToEnd();
    EXPECT_TRUE(succeeded()) << firstError(errors());
}

// Failures that end the run before any read pointer moves: nothing is left behind.
struct EarlyFailure {
    const char* name;
    std::function<void(torvik::sim::Simulator&)> arrange;
    ErrorRecord error;  // the message is a prefix
};

class DatalogEarlyFailure : public DatalogHost, public testing::WithParamInterface<EarlyFailure> {
protected:
    DatalogEarlyFailure() : DatalogHost(shortReplies) {}
};

TEST_P(DatalogEarlyFailure, LeavesNoArchiveAndNoPointerMoved) {
    GetParam().arrange(sim);
    const std::vector<uint32_t> pointersBefore = readPointers();
    runToEnd();
    const std::vector<ErrorRecord> failures = errors();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(std::pair(failures[0].category, failures[0].code),
              std::pair(GetParam().error.category, GetParam().error.code));
    EXPECT_TRUE(failures[0].message.starts_with(GetParam().error.message)) << failures[0].message;
    expectNothingLeft(path, pointersBefore);
}

const std::string readFailed = "Caught an exception while reading the GDC datalog. ";

INSTANTIATE_TEST_SUITE_P(
    Cases, DatalogEarlyFailure,
    testing::Values(
        // A device text the metadata document cannot hold is found before any pointer moves.
        EarlyFailure{"DeviceTextNotUtf8",
                     [](auto& sim) { sim.withModel([](auto& model) { model.identity.partNumber[5] = '\xFF'; }); },
                     {FirmwareFlasher, 19, readFailed + "[json.exception"}},
        // The hello's firmware digits are read like std::stoi, with one text on every platform.
        EarlyFailure{"FirmwareDigitsNotANumber",
                     [](auto& sim) { sim.withModel([](auto& model) { model.identity.firmwareText = "V1x5B3"; }); },
                     {FirmwareFlasher, 19, readFailed + "invalid stoi argument"}},
        EarlyFailure{"OldMemoryLayout",
                     [](auto& sim) { sim.withModel([](auto& model) { model.datalogOptions.controlVersion = 2; }); },
                     {General, 5, "Unexpected memory config control version"}}),
    [](const testing::TestParamInfo<EarlyFailure>& info) { return std::string(info.param.name); });

// The device moves the measurement read pointer but every reply to it is garbled: its new data is
// then only in the archive, which stays complete under its name.
TEST_F(DatalogHost, LostMoveReplyKeepsTheCompleteArchive) {
    sim.setFaults({.corruptChecksumFor = "DP"});
    const std::vector<uint32_t> pointersBefore = readPointers();
    const std::string newMeasurements = sectionBytes(0, pointersBefore[0]);
    runToEnd();
    const ErrorRecord failed{FirmwareFlasher, 19, readFailed + "Unknown exception"};
    const ErrorRecord kept{FirmwareFlasher, 19,
                           "The archive was kept: the device may already have marked its new data as read."};
    EXPECT_EQ(errors(), (std::vector<ErrorRecord>{failed, kept}));
    EXPECT_FALSE(succeeded());
    EXPECT_TRUE(logged(3, kept.message));
    // The slot gives the list's length whatever the capacity, and copies no further than the list
    // and the capacity go.
    InstrError* list[3] = {};
    EXPECT_EQ(api->gdcDatalogReaderGetErrors(reader.get(), list, 0), 2u);
    EXPECT_EQ(list[0], nullptr);
    EXPECT_EQ(api->gdcDatalogReaderGetErrors(reader.get(), list, 1), 2u);
    EXPECT_EQ(list[1], nullptr);
    EXPECT_EQ(torvik::takeRecord(list[0]), failed);
    EXPECT_EQ(api->gdcDatalogReaderGetErrors(reader.get(), list, 3), 2u);
    EXPECT_EQ(list[2], nullptr);
    EXPECT_EQ(torvik::takeRecord(list[0]), failed);
    EXPECT_EQ(torvik::takeRecord(list[1]), kept);
    const auto archive = readZip(path);
    EXPECT_TRUE(archive.intact);
    EXPECT_EQ(archive.names(), (std::vector<std::string>{"measurement.ddl", "event.ddl", "session.ddl", "debug.ddl",
                                                         "gdcdatalogger.json"}));
    EXPECT_EQ(archive.entries[0].data, newMeasurements);
    const std::vector<uint32_t> pointersAfter = readPointers();
    EXPECT_EQ(pointersAfter[0], pageCount(0));       // gone from the device as new data
    EXPECT_EQ(pointersAfter[1], pointersBefore[1]);  // the run stopped at the first failed move
}

}  // namespace
}  // namespace torvik_test
