#include "DatalogTransfer.hpp"

#include <filesystem>
#include <functional>
#include <stop_token>

#include "DatalogProgress.hpp"
#include "ErrorReport.hpp"
#include "FilePath.hpp"
#include "ProgressBar.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

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

// What the reader's progress calls do while it runs: draw the bar, and turn the first interrupt
// into a stop request. Once the archive is complete under its path the reader no longer stops (it
// is marking the new data as read on the detector), and the user is told why the tool goes on.
class TransferWatch {
public:
    TransferWatch(const DatalogTransfer& transfer, InterruptWatch& interrupt, const DatalogProgress& progress)
        : transfer_(transfer), interrupt_(interrupt), progress_(progress), bar_(transfer.showProgress) {}

    void operator()(double fraction) {
        if (interrupt_.raised()) stop_.request_stop();
        std::error_code unknown;
        if (stop_.stop_requested() && !finishingTold_ &&
            std::filesystem::exists(filePath(transfer_.archivePath), unknown)) {
            bar_.finish();
            printMessage(
                "torvik: interrupted: the archive is complete; finishing marking its new data as read on the detector "
                "(stopped now, the detector would give the same data again next time)\n");
            finishingTold_ = true;
        }
        bar_.update(fraction, progress_.status(DatalogProgress::Clock::now()));
    }

    std::stop_token token() const { return stop_.get_token(); }
    void finish() { bar_.finish(); }

private:
    const DatalogTransfer& transfer_;
    InterruptWatch& interrupt_;
    const DatalogProgress& progress_;
    ProgressBar bar_;
    std::stop_source stop_;
    bool finishingTold_ = false;
};

}  // namespace

uint32_t transferDatalog(DeviceSession& session, const DatalogTransfer& transfer, InterruptWatch& interrupt) {
    DatalogReader reader(session.device());
    for (DatalogOption option : transfer.options) reader.select(option);
    reader.setGateway("torvik", libraryVersion());  // the archive names this tool and the library it runs on

    DatalogProgress progress;
    TransferWatch watch(transfer, interrupt, progress);
    try {
        ProgressListening listening(session.log(), progress);
        reader.read(transfer.archivePath, std::ref(watch), watch.token());
    } catch (const Error& error) {
        watch.finish();
        try {
            session.fail(error, "reading the datalog failed without an error record");
        } catch (ToolFailure& failure) {
            if (interrupt.raised()) failure.exitCode = exitInterrupted;
            throw;
        }
    }
    watch.finish();
    return progress.dataPages();
}

}  // namespace torvik::cli
