#include "DatalogTransfer.hpp"

#include "ApiHandle.hpp"
#include "ErrorReport.hpp"
#include "ProgressBar.hpp"
#include "WideText.hpp"

namespace torvik::cli {

namespace {

constexpr int32_t pollIntervalMs = 100;

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

// The archive's "gateway" texts: this tool and the library version it runs on.
void nameTheTool(const InstrumentAPI& api, InstrGdcDatalogReader* reader) {
    std::u16string version = toUtf16(std::to_string(api.versionMajor) + "." + std::to_string(api.versionMinor) + "." +
                                     std::to_string(api.versionPatch));
    api.gdcDatalogReaderSetTexts(reader, wide(u"torvik"), wide(version));
}

}  // namespace

void transferDatalog(DeviceSession& session, const DatalogTransfer& transfer, InterruptWatch& interrupt) {
    const InstrumentAPI& api = session.api();
    ApiHandle<InstrGdcDatalogReader> reader(api, api.gdcDatalogReaderCreate(session.context()));
    if (!reader) throw ToolFailure("the library could not create a datalog reader");
    api.gdcDatalogReaderSetDevice(reader.get(), session.device());
    for (DatalogOption option : transfer.options) {
        api.gdcDatalogReaderSetSectionSelected(reader.get(), static_cast<uint32_t>(option), 1);
    }
    api.gdcDatalogReaderSetOutputPath(reader.get(), wide(toUtf16(transfer.archivePath)));
    nameTheTool(api, reader.get());

    InstrError* err = nullptr;
    if (!api.gdcDatalogReaderStart(reader.get(), &err))
        session.fail(takeError(api, err), "the datalog reader did not start");
    waitForReader(api, reader.get(), interrupt, transfer.showProgress);
    if (api.gdcDatalogReaderSucceeded(reader.get())) return;
    session.fail(takeErrorList(api,
                               [&](InstrError** list, uint32_t capacity) {
                                   return api.gdcDatalogReaderGetErrors(reader.get(), list, capacity);
                               }),
                 "reading the datalog failed without an error record");
}

}  // namespace torvik::cli
