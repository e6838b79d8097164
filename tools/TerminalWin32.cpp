#include <windows.h>

#include <cstdio>

#include "Terminal.hpp"
#include "torvik/torvik.hpp"

namespace torvik::cli {

namespace {

constexpr int defaultWidth = 80;

bool isConsole(DWORD stream) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

}  // namespace

bool isInteractive() {
    return isConsole(STD_INPUT_HANDLE) && isConsole(STD_ERROR_HANDLE);
}

// The progress line redraws itself with a carriage return and ESC [K, which a Windows console
// understands once its virtual-terminal processing is on.
bool stderrIsTerminal() {
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return GetConsoleMode(console, &mode) != 0 && SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

int terminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return defaultWidth;
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    return width > 0 ? width : defaultWidth;
}

// A console gets the text as UTF-16 through WriteConsoleW, so any character shows whatever the
// console's code page; a pipe or a file gets the UTF-8 bytes.
void printMessage(std::string_view text) {
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode) == 0) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
        return;
    }
    WideText wide;
    try {
        wide = text::toWide(text);
    } catch (const std::invalid_argument&) {  // not UTF-8: shown byte for byte
        for (const unsigned char byte : text) wide.push_back(byte);
    }
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace torvik::cli
