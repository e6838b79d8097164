#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "Terminal.hpp"

namespace torvik::cli {

namespace {
constexpr int defaultWidth = 80;
}

bool isInteractive() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1;
}

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

int terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return defaultWidth;
    return size.ws_col;
}

void printMessage(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace torvik::cli
