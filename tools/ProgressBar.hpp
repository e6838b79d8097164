// A one-line progress bar on stderr, drawn only when stderr is a terminal (so logs and pipes stay
// free of carriage-return noise) and nothing else writes there (no --verbose log lines).
#pragma once

namespace torvik::cli {

class ProgressBar {
public:
    // Drawn only when `wanted` and stderr is a terminal.
    explicit ProgressBar(bool wanted);
    // fraction in [0, 1]; redraws only when the shown percentage changes.
    void update(double fraction);
    // Ends the bar's line (if one was drawn).
    void finish();

private:
    bool enabled_;
    int shownPercent_ = -1;
};

}  // namespace torvik::cli
