#include "ProgressBar.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace torvik::cli {

namespace {
constexpr int barWidth = 40;
}

ProgressBar::ProgressBar(bool wanted) : enabled_(wanted && isatty(STDERR_FILENO) == 1) {}

void ProgressBar::update(double fraction) {
    if (!enabled_ || !std::isfinite(fraction)) return;
    int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    int filled = percent * barWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(barWidth - filled), '-');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (shownPercent_ < 0) return;
    std::fputc('\n', stderr);
    shownPercent_ = -1;
}

}  // namespace torvik::cli
