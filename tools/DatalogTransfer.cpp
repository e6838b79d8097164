#include "DatalogTransfer.hpp"

#include <cstdio>
#include <filesystem>

#include "ApiHandle.hpp"
#include "DatalogProgress.hpp"
#include "ErrorReport.hpp"
#include "ProgressBar.hpp"
#include "WideText.hpp"

namespace torvik::cli {

namespace {

constexpr int32_t pollIntervalMs = 100;

// Lets `progress` hear the session's log lines while it lives.
class ProgressListening {
public:
    ProgressListening(LogSink& sink, DatalogProgress& progress) : sink_(sink) {
        sink_.listen([&progress](const std::string& line) { progress.hear(line); });
    }
    ~ProgressListening() { sink_.listen(nullptr); }
    ProgressListening(const ProgressListening&) = delete;
    ProgressListening& operator=(const ProgressListening&) = delete;

private:
    LogSink& sink_;
};

// Waits for the reader, drawing progress. The first interrupt asks the reader to abort; once the
// archive is complete under its path the reader no longer stops (it is marking the new data as
// read on the detector), and the user is told why the tool goes on.
void waitForReader(const InstrumentAPI& api, InstrGdcDatalogReader* reader, const DatalogTransfer& transfer,
                   InterruptWatch& interrupt, const DatalogProgress& progress) {
    ProgressBar bar(transfer.showProgress);
    bool abortRequested = false;
    bool finishingTold = false;
    while (!api.gdcDatalogReaderWait(reader, pollIntervalMs)) {
        if (interrupt.raised() && !abortRequested) {
            InstrError* err = nullptr;
            api.gdcDatalogReaderAbort(reader, &err);
            api.errorFree(&err);
            abortRequested = true;
        }
        std::error_code unknown;
        if (abortRequested && !finishingTold && std::filesystem::exists(transfer.archivePath, unknown)) {
            bar.finish();
            std::fprintf(stderr,
                         "torvik: interrupted: the archive is complete; finishing marking its new data as read on the "
                         "detector (stopped now, the detector would give the same data again next time)\n");
            finishingTold = true;
        }
        double fraction = 0.0;
        api.gdcDatalogReaderGetProgress(reader, &fraction);
        bar.update(fraction, progress.status(DatalogProgress::Clock::now()));
    }
    bar.finish();
}

// The archive's "gateway" texts: this tool and the library version it runs on.
void nameTheTool(const InstrumentAPI& api, InstrGdcDatalogReader* reader) {
    std::u16string version = toUtf16(std::to_string(api.versionMajor) + "." + std::to_string(api.versionMinor) + "." +
                                     std::to_string(api.versionPatch));
    api.gdcDatalogReaderSetTexts(reader, wide(u"torvik"), wide(version));
}

}  // namespace

uint32_t transferDatalog(DeviceSession& session, const DatalogTransfer& transfer, InterruptWatch& interrupt) {
    const InstrumentAPI& api = session.api();
    ApiHandle<InstrGdcDatalogReader> reader(api, api.gdcDatalogReaderCreate(session.context()));
    if (!reader) throw ToolFailure("the library could not create a datalog reader");
    api.gdcDatalogReaderSetDevice(reader.get(), session.device());
    for (DatalogOption option : transfer.options) {
        api.gdcDatalogReaderSetSectionSelected(reader.get(), static_cast<uint32_t>(option), 1);
    }
    api.gdcDatalogReaderSetOutputPath(reader.get(), wide(toUtf16(transfer.archivePath)));
    nameTheTool(api, reader.get());

    DatalogProgress progress;
    {
        ProgressListening listening(session.log(), progress);
        InstrError* err = nullptr;
        if (!api.gdcDatalogReaderStart(reader.get(), &err))
            session.fail(takeError(api, err), "the datalog reader did not start");
        waitForReader(api, reader.get(), transfer, interrupt, progress);
    }
    if (api.gdcDatalogReaderSucceeded(reader.get())) return progress.dataPages();
    std::vector<std::string> records = takeErrorList(api, [&](InstrError** list, uint32_t capacity) {
        return api.gdcDatalogReaderGetErrors(reader.get(), list, capacity);
    });
    try {
        session.fail(std::move(records), "reading the datalog failed without an error record");
    } catch (ToolFailure& failure) {
        if (interrupt.raised()) failure.exitCode = exitInterrupted;
        throw;
    }
}

}  // namespace torvik::cli
