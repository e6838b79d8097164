// The COM ports Windows reports in its serial communication map (the registry's
// HARDWARE\DEVICEMAP\SERIALCOMM, which the port drivers fill), each opened and closed again to
// learn whether it can be used.
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "SerialPorts.hpp"
#include "torvik/torvik.hpp"

namespace torvik::cli {

namespace {

constexpr wchar_t serialMap[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD longestValue = 256;  // characters of a value's name or data

std::vector<std::string> reportedPorts() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, serialMap, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        wchar_t device[longestValue] = {};
        wchar_t port[longestValue + 1] = {};
        DWORD deviceLength = longestValue;
        DWORD portBytes = longestValue * sizeof(wchar_t);
        DWORD type = 0;
        const LONG status =
            RegEnumValueW(key, index, device, &deviceLength, nullptr, &type, reinterpret_cast<BYTE*>(port), &portBytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS && type == REG_SZ) names.push_back(text::toUtf8(port));
    }
    RegCloseKey(key);
    return names;
}

// Why the port does not open, or "" when it does (it is closed again at once).
std::string openProblem(const std::string& port) {
    const std::string path = port.starts_with("\\\\.\\") ? port : "\\\\.\\" + port;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return openProblemText(static_cast<int>(GetLastError()));
    CloseHandle(handle);
    return {};
}

// COM2 before COM10: by the number after the letters.
bool portOrder(const SerialPort& a, const SerialPort& b) {
    const auto number = [](const std::string& name) {
        const size_t digits = name.find_first_of("0123456789");
        return digits == std::string::npos ? 0UL : std::strtoul(name.c_str() + digits, nullptr, 10);
    };
    return number(a.path) != number(b.path) ? number(a.path) < number(b.path) : a.path < b.path;
}

}  // namespace

const char* portsListed() {
    return "Lists the COM ports Windows reports (the registry's HARDWARE\\DEVICEMAP\\SERIALCOMM) and, for\n"
           "a port that does not open, why. Give one to the device commands as --port COM3 (ports above\n"
           "COM9 work too, also written \\\\.\\COM10).";
}

PortSearch findSerialPorts() {
    PortSearch search{{}, "the registry's HARDWARE\\DEVICEMAP\\SERIALCOMM"};
    for (const std::string& name : reportedPorts()) search.ports.push_back({name, {}, openProblem(name)});
    std::sort(search.ports.begin(), search.ports.end(), portOrder);
    return search;
}

std::string openProblemText(int error) {
    switch (static_cast<DWORD>(error)) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return "busy: another program has it open";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEV_NOT_EXIST:
            return "no such port (is the adapter plugged in?)";
        default:
            break;
    }
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? text::toUtf8(text) : "system error " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

}  // namespace torvik::cli
