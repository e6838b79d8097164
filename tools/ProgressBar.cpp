#include "ProgressBar.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "Terminal.hpp"

namespace torvik::cli {

namespace {
constexpr int widestBar = 30;
constexpr int narrowestBar = 10;
constexpr int statusRoom = 48;  // the percentage and the longest status text
constexpr std::string_view spinner = "|/-\\";
}  // namespace

ProgressBar::ProgressBar(bool wanted) : enabled_(wanted && stderrIsTerminal()) {}

void ProgressBar::update(double fraction, const std::string& status) {
    if (!enabled_ || !std::isfinite(fraction)) return;
    int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    std::string text = status;
    if (text.ends_with("...")) text += std::string(" ") + spinner[spin_++ % spinner.size()];
    std::array<char, 8> number{};
    std::snprintf(number.data(), number.size(), "%3d%%", percent);
    // The last column stays free: a terminal wraps a line that fills it.
    int width = terminalWidth() - 1;
    int barWidth = std::min(widestBar, width - statusRoom);
    std::string line;
    if (barWidth >= narrowestBar) {
        int filled = percent * barWidth / 100;
        line = "[" + std::string(static_cast<size_t>(filled), '#') +
               std::string(static_cast<size_t>(barWidth - filled), '-') + "] ";
    }
    line += std::string(number.data()) + " " + text;
    if (static_cast<int>(line.size()) > width) line.resize(static_cast<size_t>(std::max(width, 0)));
    if (line == shown_) return;
    shown_ = line;
    printMessage("\r" + line + "\033[K");  // the rest of an earlier, longer line is cleared
}

void ProgressBar::finish() {
    if (shown_.empty()) return;
    printMessage("\n");
    shown_.clear();
}

}  // namespace torvik::cli
