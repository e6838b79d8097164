// The tool's log callback. With --verbose every library log line goes to stderr with its level
// prefix; otherwise lines are dropped (the library's own console logger would write to stdout,
// which must stay clean JSON), except that warnings are kept for commands that report them and
// errors for the report of a failure (they name its cause: the path and the system's reason of an
// archive that could not be written, the values a request may hold).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "torvik/torvik.hpp"

namespace torvik::cli {

class LogSink {
public:
    explicit LogSink(bool verbose) : verbose_(verbose) {}

    // Installs this sink as the context's log function; the sink must outlive the context and
    // every object made from it.
    void install(Context& context);

    // The WARN lines logged so far (UTF-8), oldest first, when not verbose (verbose shows them
    // as they come); clears the list.
    std::vector<std::string> takeWarnings();
    // The same for the ERROR lines.
    std::vector<std::string> takeErrors();

    // Every line (any level) also goes to `listener` until it is cleared (called with the sink's
    // lock held, on the thread that logs).
    void listen(std::function<void(const std::string&)> listener);

    // While capturing, every line (any level) is also kept for takeCaptured().
    void capture(bool on);
    std::vector<std::string> takeCaptured();

private:
    // One library line, on whichever thread logs.
    void write(LogLevel level, std::string_view text);

    bool verbose_;
    std::mutex mutex_;
    std::vector<std::string> warnings_;
    std::vector<std::string> errors_;
    std::function<void(const std::string&)> listener_;
    bool capturing_ = false;
    std::vector<std::string> captured_;
};

}  // namespace torvik::cli
