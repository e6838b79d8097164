// torvik datalog read -o FILE.zip: runs the library's datalog reader, draws its progress and
// turns Ctrl-C into the reader's abort, after which the reader removes the unfinished archive.
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "ApiHandle.hpp"
#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "InterruptWatch.hpp"
#include "ProgressBar.hpp"
#include "core/TextConversion.hpp"

namespace torvik::cli {

namespace {

// The reader's selection options.
constexpr uint32_t readAllOption = 3;
const std::map<std::string, uint32_t, std::less<>> skipOptions{{"measurement", 0}, {"event", 1}, {"debug", 2}};

constexpr int32_t pollIntervalMs = 100;

std::vector<uint32_t> selectedOptions(const Arguments& args) {
    std::vector<uint32_t> options;
    if (args.has("all")) options.push_back(readAllOption);
    std::istringstream skip(args.value("skip").value_or(""));
    for (std::string name; std::getline(skip, name, ',');) {
        auto it = skipOptions.find(name);
        if (it == skipOptions.end()) throw UsageError("--skip takes measurement, event and debug, not '" + name + "'");
        options.push_back(it->second);
    }
    return options;
}

// Waits for the reader, drawing progress; the first interrupt asks the reader to abort.
void waitForReader(const InstrumentAPI& api, InstrGdcDatalogReader* reader, InterruptWatch& interrupt,
                   bool showProgress) {
    ProgressBar bar(showProgress);
    bool abortRequested = false;
    while (!api.gdcDatalogReaderWait(reader, pollIntervalMs)) {
        if (interrupt.raised() && !abortRequested) {
            InstrError* err = nullptr;
            api.gdcDatalogReaderAbort(reader, &err);
            api.errorFree(&err);
            abortRequested = true;
        }
        double progress = 0.0;
        api.gdcDatalogReaderGetProgress(reader, &progress);
        bar.update(progress);
    }
    bar.finish();
}

}  // namespace

int runDatalogRead(const Arguments& args) {
    std::optional<std::string> output = args.value("output");
    if (!output || output->empty()) throw UsageError("-o FILE.zip is required");
    std::vector<uint32_t> options = selectedOptions(args);
    std::u16string outputPath = devlib_instr::utf8ToUtf16(*output);

    InterruptWatch interrupt;  // before the simulator's and the reader's threads start
    DeviceSession session(args);
    const InstrumentAPI& api = session.api();
    ApiHandle<InstrGdcDatalogReader> reader(api, api.gdcDatalogReaderCreate(session.context()));
    if (!reader) throw ToolFailure("the library could not create a datalog reader");
    api.gdcDatalogReaderSetDevice(reader.get(), session.device());
    for (uint32_t option : options) api.gdcDatalogReaderSetSectionSelected(reader.get(), option, 1);
    api.gdcDatalogReaderSetOutputPath(reader.get(), reinterpret_cast<const InstrWChar*>(outputPath.c_str()));
    std::u16string version =
        devlib_instr::utf8ToUtf16(std::to_string(api.versionMajor) + "." + std::to_string(api.versionMinor) + "." +
                                  std::to_string(api.versionPatch));
    api.gdcDatalogReaderSetTexts(reader.get(), reinterpret_cast<const InstrWChar*>(u"torvik"),
                                 reinterpret_cast<const InstrWChar*>(version.c_str()));

    InstrError* err = nullptr;
    if (!api.gdcDatalogReaderStart(reader.get(), &err)) fail(takeError(api, err), "the datalog reader did not start");
    waitForReader(api, reader.get(), interrupt, !args.has("verbose"));
    if (!api.gdcDatalogReaderSucceeded(reader.get())) {
        fail(takeErrorList(api,
                           [&](InstrError** list, uint32_t capacity) {
                               return api.gdcDatalogReaderGetErrors(reader.get(), list, capacity);
                           }),
             "reading the datalog failed without an error record");
    }
    std::fprintf(stderr, "torvik: datalog written to %s\n", output->c_str());
    return 0;
}

}  // namespace torvik::cli
