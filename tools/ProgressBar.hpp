// A one-line progress display on stderr, drawn only when stderr is a terminal (so logs and pipes
// stay free of carriage-return noise) and nothing else writes there (no --verbose log lines):
// a bar, the percentage and a status text, cut to the terminal's width so that no line wraps.
#pragma once

#include <string>

namespace torvik::cli {

class ProgressBar {
public:
    // Drawn only when `wanted` and stderr is a terminal.
    explicit ProgressBar(bool wanted);
    // fraction in [0, 1]; redraws when the line changes. A status ending in "..." gets a spinner.
    void update(double fraction, const std::string& status);
    // Ends the bar's line (if one was drawn).
    void finish();

private:
    bool enabled_;
    unsigned spin_ = 0;
    std::string shown_;
};

}  // namespace torvik::cli
