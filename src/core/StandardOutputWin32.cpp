// Standard output on Windows: a console gets the UTF-16 text itself through WriteConsoleW (UTF-8
// bytes would be shown in the console's code page); a pipe or a file gets UTF-8 bytes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/StandardOutput.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {
namespace {

// True when the handle is a console (GetConsoleMode fails on pipes and files).
bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

void writeStandardOutput(std::u16string_view text) {
    std::fflush(stdout);  // the host's buffered output goes first
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (isConsole(out)) {
        DWORD written = 0;
        WriteConsoleW(out, reinterpret_cast<const wchar_t*>(text.data()), static_cast<DWORD>(text.size()), &written,
                      nullptr);
        return;
    }
    const std::string bytes = toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace devlib_instr
