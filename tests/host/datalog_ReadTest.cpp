// Reading the GDC datalog of the simulated detector into an archive through the C table.
#include <algorithm>
#include <cctype>
#include <fstream>

#include "datalog_Host.hpp"

namespace datalog_host {
namespace {

using torvik::sim::DatalogEncoding;
using torvik_test::readZip;

const char* const entryNames[] = {"measurement.ddl", "event.ddl", "control.ddl", "session.ddl", "debug.ddl"};
const char* const dataTypes[] = {"measurementData", "eventData", "controlData", "sessionData", "debugData"};

struct SelectionCase {
    const char* name;
    std::vector<uint32_t> options;
    std::vector<int> sections;        // stored, in order
    std::vector<bool> fromBeginning;  // per stored section
    std::vector<std::string> moves;   // read-pointer requests, in order
    DatalogEncoding encoding = DatalogEncoding::Auto;
};

// "2024-05-01T10:00:00" followed by the zone suffix (std::regex trips GCC 12's sanitizer build).
bool isIsoTimeWithSuffix(const std::string& text, const std::string& suffix) {
    const std::string shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != shape.size() + suffix.size() || text.substr(shape.size()) != suffix) return false;
    for (size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return false;
    return true;
}

void PrintTo(const SelectionCase& c, std::ostream* out) {
    *out << c.name;
}

class DatalogSelection : public DatalogHost, public testing::WithParamInterface<SelectionCase> {};

TEST_P(DatalogSelection, ArchiveHoldsTheSectionsAndTheMetadata) {
    const SelectionCase& c = GetParam();
    ScopedEnvironment zone("TZ", "Europe/Berlin");
    ScopedEnvironment offset("PELLO_TZ_OFFSET_SEC", "-3600");
    sim.withModel([&](torvik::sim::DetectorModel& model) { model.datalogOptions.encoding = c.encoding; });
    const std::vector<uint32_t> pointersBefore = readPointers();
    std::vector<std::string> expectedData;
    std::vector<uint32_t> expectedOffsets;
    for (size_t i = 0; i < c.sections.size(); ++i) {
        const int s = c.sections[i];
        expectedData.push_back(sectionBytes(s, c.fromBeginning[i] ? 0 : pointersBefore[s]));
        expectedOffsets.push_back(firstPageHeader(s, c.fromBeginning[i]));
    }
    for (uint32_t option : c.options) api->gdcDatalogReaderSetSectionSelected(reader, option, 1);

    const std::vector<double> progress = runToEnd();
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_GE(progress.front(), 0.0);
    EXPECT_EQ(progress.back(), 1.0);
    EXPECT_TRUE(api->gdcDatalogReaderSucceeded(reader)) << narrow(errors().empty() ? u"" : errors()[0].message);

    const auto archive = readZip(path);
    ASSERT_TRUE(archive.opened);
    EXPECT_TRUE(archive.intact);
    std::vector<std::string> names;
    for (int s : c.sections) names.push_back(entryNames[s]);
    names.push_back("gdcdatalogger.json");
    ASSERT_EQ(archive.names(), names);
    for (size_t i = 0; i < c.sections.size(); ++i) {
        EXPECT_EQ(archive.entries[i].method, 0u);
        EXPECT_EQ(archive.entries[i].data, expectedData[i]) << names[i];
    }
    EXPECT_EQ(archive.entries.back().method, 0u);

    const auto document = nlohmann::json::parse(archive.entries.back().data);
    nlohmann::json loggerData = nlohmann::json::array();
    for (size_t i = 0; i < c.sections.size(); ++i)
        loggerData.push_back({{"loggerDataType", dataTypes[c.sections[i]]},
                              {"loggerDataName", entryNames[c.sections[i]]},
                              {"loggerDataFirstPageOffset", expectedOffsets[i]}});
    EXPECT_EQ(document["content"],
              (nlohmann::json{{"loggerInfo", {{"pageSize", 256}, {"version", 3}, {"measurementVariant", "long"}}},
                              {"loggerData", loggerData}}));
    // The device clock 2026-03-14 09:26:53 is Berlin winter time, 08:26:53 UTC, shown at the
    // overriding offset without adding it.
    EXPECT_EQ(document["device"], (nlohmann::json{{"deviceId", "83211"},
                                                  {"devicePartnumber", "8327640"},
                                                  {"deviceSerialnumber", "2461-0137"},
                                                  {"deviceDateISO8601", "2026-03-14T08:26:53-0100"},
                                                  {"deviceFirmwareVersion", "1.5"}}));
    const auto& file = document["file"];
    EXPECT_EQ(file["fileType"], "gdcdatalogger");
    EXPECT_EQ(file["fileVersion"], "1.5.0");
    EXPECT_EQ(file["fileCreatingSoftware"], "Torvik Device Library");
    EXPECT_EQ(file["fileCreatingSoftwareVersion"], "02.09.00");
    EXPECT_TRUE(isIsoTimeWithSuffix(file["fileCreationDateISO8601"].get<std::string>(), "-0100"))
        << file["fileCreationDateISO8601"];
    EXPECT_EQ(file["fileCreationTimezone"], "Europe/Berlin");
    EXPECT_TRUE(file["fileCreationDST"] == "true" || file["fileCreationDST"] == "false");
    EXPECT_EQ(document["gateway"], (nlohmann::json{{"name", "Unknown"}, {"version", "Unknown"}}));

    // Read pointers move only for new-data sections, in order, once every section was read.
    const std::vector<std::string> codes = commands();
    std::vector<std::string> moves;
    std::copy_if(codes.begin(), codes.end(), std::back_inserter(moves),
                 [](auto& code) { return code[0] == 'D' && code[1] == 'P'; });
    EXPECT_EQ(moves, c.moves);
    const auto lastRead =
        std::find_if(codes.rbegin(), codes.rend(), [](auto& code) { return code == "DM" || code == "DN"; });
    const auto firstMove =
        std::find_if(codes.begin(), codes.end(), [](auto& code) { return code.rfind("DP", 0) == 0; });
    EXPECT_LE(codes.rend() - lastRead, firstMove - codes.begin());
    const std::vector<uint32_t> pointersAfter = readPointers();
    for (int s = 0; s < 6; ++s) {
        const bool moved = std::count(c.moves.begin(), c.moves.end(), "DP" + std::to_string(s)) == 1;
        uint32_t pages = 0;
        sim.withModel([&](torvik::sim::DetectorModel& model) { pages = model.datalog.pageCount(s); });
        EXPECT_EQ(pointersAfter[s], moved ? pages : pointersBefore[s]) << "section " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Selections, DatalogSelection,
    testing::Values(SelectionCase{"NewData", {}, {0, 1, 3, 4}, {false, false, true, false}, {"DP0", "DP1", "DP4"}},
                    SelectionCase{"Everything", {3}, {0, 1, 3, 4}, {true, true, true, true}, {}},
                    SelectionCase{"SessionOnly", {0, 1, 2}, {3}, {true}, {}},
                    // Replies of four pages substituted are over 1024 characters long.
                    SelectionCase{"NewDataSubstituted",
                                  {},
                                  {0, 1, 3, 4},
                                  {false, false, true, false},
                                  {"DP0", "DP1", "DP4"},
                                  DatalogEncoding::Substitution}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

TEST_F(DatalogHost, SessionOnlyProgressRunsFromATenthToOne) {
    select({0, 1, 2, 7});  // 7 means nothing
    const std::vector<double> progress = runToEnd();
    EXPECT_EQ(progress.back(), 1.0);
    const std::vector<std::string> codes = commands();
    EXPECT_GT(std::count(codes.begin(), codes.end(), "DM"), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "DN"), 0);
    EXPECT_TRUE(logged(1, u"Reading _all_ GDC datalog data for section 3 from device."));
    EXPECT_TRUE(logged(1, u"Re-triggering maintenance mode."));
}

// Texts outside the Basic Multilingual Plane (surrogate pairs) in the gateway texts and in the
// path reach the archive as UTF-8, and the new data is read and marked as read.
TEST_F(DatalogHost, TextsOutsideTheBasicPlaneReachTheArchive) {
    api->gdcDatalogReaderSetTexts(reader, hostText(u"Fleet Station"), nullptr);  // ignored: one text missing
    api->gdcDatalogReaderSetTexts(reader, hostText(u"Gateway \u00C5 \U0001F69B"), hostText(u"7.1"));
    const std::string stem = path.substr(0, path.size() - 4);  // ASCII, without ".zip"
    path = stem + "-\xF0\x9F\x9A\x9B.zip";
    api->gdcDatalogReaderSetOutputPath(reader, hostText(wide(stem) + u"-\U0001F69B.zip"));
    const uint32_t measurementPages = sectionPageCount(0);

    runToEnd();
    EXPECT_TRUE(api->gdcDatalogReaderSucceeded(reader)) << narrow(errors().empty() ? u"" : errors()[0].message);
    const auto archive = readZip(path);
    ASSERT_TRUE(archive.opened);
    const auto document = nlohmann::json::parse(archive.entries.back().data);
    EXPECT_EQ(document["gateway"], (nlohmann::json{{"name", "Gateway \xC3\x85 \xF0\x9F\x9A\x9B"}, {"version", "7.1"}}));
    EXPECT_EQ(readPointers()[0], measurementPages);
}

TEST_F(DatalogHost, AbortDuringASectionLeavesNothing) {
    sim.setLineOptions({.replyDelayMs = 60});
    const std::vector<uint32_t> pointersBefore = readPointers();
    ASSERT_EQ(start().category, 99u);
    double progress = 0;
    while (progress <= 0.1 && !api->gdcDatalogReaderIsFinished(reader)) {
        api->gdcDatalogReaderGetProgress(reader, &progress);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    InstrError* err = nullptr;
    EXPECT_TRUE(api->gdcDatalogReaderAbort(reader, &err));
    EXPECT_TRUE(api->gdcDatalogReaderWait(reader, -1));
    EXPECT_EQ(errors(), (std::vector<Record>{{3, 8, u"Aborted by user"}}));
    EXPECT_FALSE(api->gdcDatalogReaderSucceeded(reader));
    EXPECT_TRUE(logged(3, u"Aborted by user"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(readPointers(), pointersBefore);
    const std::vector<std::string> codes = commands();
    EXPECT_EQ(std::count_if(codes.begin(), codes.end(), [](auto& code) { return code.rfind("DP", 0) == 0; }), 0);
}

TEST_F(DatalogHost, ExistingOutputFileIsRefusedAndKeptAsItWas) {
    { std::ofstream(path) << "keep me"; }
    EXPECT_EQ(start(), (Record{3, 1, u"Output file exists"}));
    EXPECT_FALSE(api->gdcDatalogReaderIsFinished(reader));
    EXPECT_FALSE(api->gdcDatalogReaderWait(reader, 1000));  // never started: returns at once
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "keep me");
    EXPECT_TRUE(sim.requests().empty());
    // Once the cause is gone the same reader starts.
    std::filesystem::remove(path);
    runToEnd();
    EXPECT_TRUE(api->gdcDatalogReaderSucceeded(reader));
}

TEST_F(DatalogHost, StartNeedsAPathAndAnOpenDevice) {
    api->gdcDatalogReaderSetOutputPath(reader, hostText(u""));
    EXPECT_EQ(start(), (Record{3, 1, u"Device or the output file path is not defined"}));
    api->gdcDatalogReaderSetOutputPath(reader, hostText(wide(path)));
    api->deviceClose(device);
    EXPECT_EQ(start(), (Record{3, 9, u"Device is not connected or serial port is not defined"}));
    api->gdcDatalogReaderSetDevice(reader, nullptr);  // an invalid device leaves the reader without one
    EXPECT_EQ(start(), (Record{3, 1, u"Device or the output file path is not defined"}));
    EXPECT_TRUE(logged(3, u"Device or the output file path is not defined"));
}

struct ZoneCase {
    const char* name;
    const char* tz;
    std::optional<std::string> offset;  // PELLO_TZ_OFFSET_SEC
    const char* expectedZone;
    const char* deviceDate;
    const char* winterSuffix;  // of the creation date, when the zone keeps standard time
    const char* summerSuffix;  // when it keeps daylight-saving time
};

void PrintTo(const ZoneCase& c, std::ostream* out) {
    *out << c.name;
}

class DatalogZone : public DatalogHost, public testing::WithParamInterface<ZoneCase> {};

// The time steps never fail a read: a zone the database does not know is named by TZ and its
// times come from the C library.
TEST_P(DatalogZone, NamesTheZoneAndDatesTheArchive) {
    const ZoneCase& c = GetParam();
    ScopedEnvironment zone("TZ", c.tz);
    ScopedEnvironment offset("PELLO_TZ_OFFSET_SEC", c.offset);
    select({0, 1, 2});
    runToEnd();
    EXPECT_TRUE(api->gdcDatalogReaderSucceeded(reader)) << narrow(errors().empty() ? u"" : errors()[0].message);
    const auto archive = readZip(path);
    ASSERT_FALSE(archive.entries.empty());
    const auto document = nlohmann::json::parse(archive.entries.back().data);
    const auto& file = document["file"];
    EXPECT_EQ(file["fileCreationTimezone"], c.expectedZone);
    EXPECT_EQ(document["device"]["deviceDateISO8601"], c.deviceDate);
    const bool summer = file["fileCreationDST"] == "true";
    EXPECT_TRUE(isIsoTimeWithSuffix(file["fileCreationDateISO8601"].get<std::string>(),
                                    summer ? c.summerSuffix : c.winterSuffix))
        << file["fileCreationDateISO8601"] << " " << file["fileCreationDST"];
}

INSTANTIATE_TEST_SUITE_P(Zones, DatalogZone,
                         testing::Values(ZoneCase{"PosixRule", "CET-1CEST,M3.5.0,M10.5.0/3", std::nullopt,
                                                  "CET-1CEST,M3.5.0,M10.5.0/3", "2026-03-14T09:26:53+0100", "+0100",
                                                  "+0200"},
                                         ZoneCase{"SignedOffset", "Europe/Berlin", " +5400", "Europe/Berlin",
                                                  "2026-03-14T08:26:53+0130", "+0130", "+0130"}),
                         [](const testing::TestParamInfo<ZoneCase>& info) { return info.param.name; });

// Everything the archive must carry is checked before a read pointer moves: a device text the
// metadata document cannot hold fails the run while the data is still new on the device.
TEST_F(DatalogHost, DeviceTextTheArchiveCannotCarryFailsBeforeAnyPointerMoves) {
    sim.withModel([](torvik::sim::DetectorModel& model) { model.identity.partNumber[5] = '\xFF'; });
    const std::vector<uint32_t> pointersBefore = readPointers();
    runToEnd();
    const std::vector<Record> failures = errors();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].category, 3u);
    EXPECT_EQ(failures[0].code, 19u);
    EXPECT_EQ(failures[0].message.rfind(u"Caught an exception while reading the GDC datalog. [json.exception", 0), 0u)
        << narrow(failures[0].message);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(readPointers(), pointersBefore);
    const std::vector<std::string> codes = commands();
    EXPECT_EQ(std::count_if(codes.begin(), codes.end(), [](auto& code) { return code.rfind("DP", 0) == 0; }), 0);
}

// The device moves the measurement read pointer but every reply to it is garbled: its new data is
// then only in the archive, which stays complete under its name.
TEST_F(DatalogHost, LostMoveReplyKeepsTheCompleteArchive) {
    sim.setFaults({.corruptChecksumFor = "DP"});
    const std::vector<uint32_t> pointersBefore = readPointers();
    const std::string newMeasurements = sectionBytes(0, pointersBefore[0]);
    runToEnd();
    EXPECT_EQ(errors(),
              (std::vector<Record>{{3, 19, u"Caught an exception while reading the GDC datalog. Unknown exception"},
                                   {3, 19,
                                    u"The archive was kept: the device may already have marked its new data "
                                    u"as read."}}));
    EXPECT_FALSE(api->gdcDatalogReaderSucceeded(reader));
    EXPECT_TRUE(logged(3, u"The archive was kept: the device may already have marked its new data as read."));

    const auto archive = readZip(path);
    ASSERT_TRUE(archive.opened);
    EXPECT_TRUE(archive.intact);
    EXPECT_EQ(archive.names(), (std::vector<std::string>{"measurement.ddl", "event.ddl", "session.ddl", "debug.ddl",
                                                         "gdcdatalogger.json"}));
    EXPECT_EQ(archive.entries[0].data, newMeasurements);
    EXPECT_NO_THROW(nlohmann::json::parse(archive.entries.back().data));
    const std::vector<uint32_t> pointersAfter = readPointers();
    EXPECT_EQ(pointersAfter[0], sectionPageCount(0));  // gone from the device as new data
    EXPECT_EQ(pointersAfter[1], pointersBefore[1]);    // the run stopped at the first failed move
}

// A host that waits only briefly for replies.
class ImpatientDatalogHost : public DatalogHost {
protected:
    ImpatientDatalogHost() : DatalogHost(host_test::shortReplies) {}
};

TEST_F(ImpatientDatalogHost, DeviceFallingSilentMidReadEndsTheRun) {
    // Maintenance, hello, footprint, memory configuration and the first page reply are answered.
    sim.setFaults({.silentAfter = 5});
    const std::vector<uint32_t> pointersBefore = readPointers();
    runToEnd();
    EXPECT_EQ(errors(),
              (std::vector<Record>{{3, 19, u"Caught an exception while reading the GDC datalog. Unknown exception"}}));
    EXPECT_TRUE(logged(3, u"Caught an exception while reading the GDC datalog. Unknown exception"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(readPointers(), pointersBefore);
}

// A reply that the reader cannot accept is recorded as the library error it raised.
TEST_F(DatalogHost, OldMemoryLayoutIsRefusedAndTheErrorListCopiesUpToTheCapacity) {
    sim.withModel([](torvik::sim::DetectorModel& model) { model.datalogOptions.controlVersion = 2; });
    runToEnd();
    EXPECT_FALSE(std::filesystem::exists(path));
    InstrError* list[2] = {nullptr, nullptr};
    EXPECT_EQ(api->gdcDatalogReaderGetErrors(reader, list, 0), 1u);
    EXPECT_EQ(list[0], nullptr);
    EXPECT_EQ(api->gdcDatalogReaderGetErrors(reader, list, 2), 1u);
    ASSERT_NE(list[0], nullptr);
    EXPECT_EQ(list[1], nullptr);
    EXPECT_EQ(take(list[0]), (Record{0, 5, u"Unexpected memory config control version"}));
}

}  // namespace
}  // namespace datalog_host
