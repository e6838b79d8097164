// The host executable's directory on Windows: GetModuleFileNameA of the process's main module.
#include <windows.h>

#include <string>

#include "core/ModulePath.hpp"

namespace devlib_instr {
namespace {

// The path in the process's ANSI code page, which is what GetModuleFileNameA reports.
std::u16string fromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return std::u16string(wide.begin(), wide.end());
}

std::string executablePath() {
    constexpr size_t longestPath = 32768;  // the longest path Windows knows
    std::string path;
    for (size_t size = MAX_PATH; size <= longestPath; size *= 2) {
        path.resize(size);
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(size));
        if (length == 0) return {};
        if (length < size) return path.substr(0, length);  // else truncated: try with more room
    }
    return {};
}

}  // namespace

std::u16string hostExecutableDirectory() {
    const std::string path = executablePath();
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return {};
    return fromAnsi(path.substr(0, separator));
}

}  // namespace devlib_instr
