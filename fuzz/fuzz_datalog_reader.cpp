// Fuzzes the GDC datalog reader end to end through the C table. The device is the simulator's
// detector model behind an in-memory link; the input sets up its datalog (page size, pages per
// reply, encoding, record version, the pages of every section and their read pointers), the
// host's section selection and whether the line echoes, and its remainder is mixed into the
// replies (see DialogueFaults). The archive goes to /dev/shm and is deleted after each run. A run
// that succeeds must have stored every byte the device holds for the sections read, in order, and
// moved exactly the read pointers of the sections read as new data; a run that fails must leave no
// archive unless the device had already moved a read pointer.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "DialogueFaults.hpp"
#include "FuzzCheck.hpp"
#include "FuzzInput.hpp"
#include "HostSession.hpp"
#include "sim/DetectorModel.hpp"
#include "support/DetectorResponder.hpp"
#include "support/MemoryLink.hpp"
#include "support/SkippingClock.hpp"
#include "support/ZipReading.hpp"

namespace {

using namespace torvik_fuzz;
using torvik::sim::Bytes;
using torvik::sim::DetectorModel;

constexpr std::array<uint16_t, 6> pageSizes{1, 2, 7, 16, 64, 256};
constexpr std::array<uint8_t, 4> controlVersions{3, 3, 4, 2};
constexpr int32_t waitMs = 60000;
// The selection byte: bits 0 to 6 select the reader's options 0 to 6, bit 7 makes the line echo.
constexpr uint8_t echoingLine = 0x80;  // a bound for a run that hangs; libFuzzer's own time-out comes first

// Sections the reader stores, by number, and whether it reads each from the beginning.
using SectionPlan = std::map<int, bool>;

SectionPlan planOf(uint8_t selection) {
    const bool readAll = (selection & 8) != 0;
    SectionPlan plan{{3, true}};
    if (!(selection & 1)) plan[0] = readAll;
    if (!(selection & 2)) plan[1] = readAll;
    if (!(selection & 4)) plan[4] = readAll;
    return plan;
}

void setUpDatalog(DetectorModel& model, FuzzInput& input) {
    model.setPageSize(pageSizes[input.byte() % pageSizes.size()]);
    const uint8_t options = input.byte();
    model.datalogOptions.maxPagesPerReply = 1 + options % 8;
    model.datalogOptions.encoding =
        options & 8 ? torvik::sim::DatalogEncoding::Hex : torvik::sim::DatalogEncoding::Auto;
    model.datalogOptions.controlVersion = controlVersions[options >> 4 & 3];
    model.datalogOptions.versionByte2 = options >> 6;
    model.datalog.clear();
    const std::string content = input.chunk();
    size_t next = 0;
    for (int section = 0; section < torvik::sim::kDatalogSectionCount; ++section) {
        const uint8_t layout = input.byte();
        for (uint32_t page = 0; page < layout % 5u; ++page) {
            Bytes bytes(model.datalog.pageSize());
            for (uint8_t& b : bytes)
                b = content.empty() ? 0x0D : static_cast<uint8_t>(content[next++ % content.size()]);
            model.datalog.appendPage(section, bytes);
        }
        model.datalog.setReadPointer(section, layout / 5u);
    }
}

// What the device holds for a section as the plan reads it.
Bytes expectedSection(const DetectorModel& model, int section, bool readAll) {
    const std::vector<Bytes>& pages = model.datalog.pages(section);
    Bytes data;
    for (size_t page = readAll ? 0 : model.datalog.readPointer(section); page < pages.size(); ++page)
        data.insert(data.end(), pages[page].begin(), pages[page].end());
    return data;
}

std::string archivePath() {
    return "/dev/shm/torvik_fuzz_datalog_" + std::to_string(getpid()) + ".zip";
}

bool fileExists(const std::string& path) {
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return true;
    }
    return false;
}

// The reader's run, as a host drives it; true when it succeeded.
bool runReader(HostSession& host, const std::string& path, uint8_t selection) {
    const InstrumentAPI* api = host.api;
    InstrGdcDatalogReader* reader = api->gdcDatalogReaderAddRef(api->gdcDatalogReaderCreate(host.context));
    api->gdcDatalogReaderSetDevice(reader, host.device);
    for (uint32_t option = 0; option < 7; ++option)
        if (selection & 1u << option) api->gdcDatalogReaderSetSectionSelected(reader, option, 1);
    const std::u16string widePath(path.begin(), path.end());
    api->gdcDatalogReaderSetOutputPath(reader, reinterpret_cast<const InstrWChar*>(widePath.c_str()));
    InstrError* err = nullptr;
    require(api->gdcDatalogReaderStart(reader, &err) && err == nullptr, "the reader did not start");
    require(api->gdcDatalogReaderWait(reader, waitMs), "the reader did not finish");

    const bool succeeded = api->gdcDatalogReaderSucceeded(reader);
    const uint32_t count = api->gdcDatalogReaderGetErrors(reader, nullptr, 0);
    require(succeeded == (count == 0), "success and the error list disagree");
    std::vector<InstrError*> errors(count, nullptr);
    api->gdcDatalogReaderGetErrors(reader, errors.data(), count);
    for (InstrError* e : errors) {
        // The reader's own errors, or a reply that did not parse (category 0, code 5).
        const bool known = e->category == 3 || (e->category == 0 && e->code == 5);
        require(known && e->message != nullptr && e->message[0] != 0, "a reader error of another kind");
        api->errorDelete(e);
    }
    double progress = 0;
    api->gdcDatalogReaderGetProgress(reader, &progress);
    require(!succeeded || progress == 1.0, "a successful run did not reach full progress");
    api->gdcDatalogReaderRelease(reader);
    return succeeded;
}

void checkArchive(const std::string& path, const SectionPlan& plan, const DetectorModel& before, bool predictable) {
    const torvik_test::ZipArchive archive = torvik_test::readZip(path);
    require(archive.opened && archive.intact, "the archive does not read back");
    require(archive.entries.size() == plan.size() + 1, "the archive does not hold one entry per section read");
    auto entry = archive.entries.begin();
    static const std::array<std::string, 5> names{"measurement.ddl", "event.ddl", "", "session.ddl", "debug.ddl"};
    for (const auto& [section, readAll] : plan) {
        require(entry->name == names[static_cast<size_t>(section)] && entry->method == 0, "unexpected archive entry");
        const Bytes expected = expectedSection(before, section, readAll);
        require(!predictable || entry->data == std::string(expected.begin(), expected.end()),
                "the archive does not hold the section's bytes as the device sent them");
        ++entry;
    }
    require(entry->name == "gdcdatalogger.json" && nlohmann::json::accept(entry->data),
            "the metadata document is missing or no JSON");
}

void checkReadPointers(const DetectorModel& before, const DetectorModel& after, const SectionPlan& plan) {
    for (int section = 0; section < torvik::sim::kDatalogSectionCount; ++section) {
        const auto planned = plan.find(section);
        const bool readAsNew = planned != plan.end() && !planned->second;
        const uint32_t expected = readAsNew ? before.datalog.pageCount(section) : before.datalog.readPointer(section);
        require(after.datalog.readPointer(section) == expected, "a read pointer moved that should not, or did not");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    DetectorModel model;
    setUpDatalog(model, input);
    const uint8_t selection = input.byte();
    const SectionPlan plan = planOf(selection);
    const DetectorModel before = model;

    DialogueFaults faults(input);
    const bool echo = (selection & echoingLine) != 0;
    torvik_test::SkippingClock clock;
    torvik_test::MemoryLinkFactory factory(clock, [&](torvik_test::MemoryLink& link) {
        link.responder = torvik_test::detectorResponder(model, faults.filter(), echo);
    });
    const std::string path = archivePath();
    bool succeeded = false;
    {
        HostSession host(factory);
        succeeded = runReader(host, path, selection);
    }
    if (succeeded) {
        checkArchive(path, plan, before, faults.datalogPredictable());
        checkReadPointers(before, model, plan);
    } else {
        require(!fileExists(path) || model.commandCount("DP") > 0, "a failed run left its archive behind");
    }
    std::remove(path.c_str());
    return 0;
}
