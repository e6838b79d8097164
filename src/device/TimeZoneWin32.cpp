// The host's zone from the Win32 time-zone API. It replaces the "tzdata" directory beside the host
// executable: Windows keeps its own zone rules, so the DLL needs no time-zone files at all.
// The zone's name is the IANA name of the Windows zone (WindowsZoneNames.hpp).
#include <windows.h>

#include <cstdint>
#include <ctime>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/TextConversion.hpp"
#include "device/TimeZone.hpp"
#include "device/WindowsZoneNames.hpp"

namespace devlib_instr {
namespace {

// The date library's text for a zoned time without a zone; Linux raises the same.
constexpr char noCurrentZone[] = "zoned_time constructed with a time zone pointer == nullptr";

// The IANA name of the Windows zone. A zone newer than the table has none: it counts as a zone the
// platform does not know, which the archive names by the C library's offset (IsoTime.hpp), never
// by the Windows name, which no IANA database holds.
std::string ianaName(const std::string& windowsName) {
    const std::string_view iana = ianaNameOfWindowsZone(windowsName);
    if (iana.empty()) throw std::runtime_error(noCurrentZone);
    return std::string(iana);
}

SYSTEMTIME systemTime(std::chrono::system_clock::time_point time) {
    // FILETIME counts 100 ns intervals since 1601-01-01.
    constexpr int64_t unixEpochAsFileTime = 116444736000000000LL;
    const int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    const uint64_t ticks = static_cast<uint64_t>(unixEpochAsFileTime + seconds * 10000000LL);
    FILETIME fileTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME result{};
    FileTimeToSystemTime(&fileTime, &result);
    return result;
}

int64_t minutesOf(const SYSTEMTIME& time) {
    FILETIME fileTime{};
    SystemTimeToFileTime(&time, &fileTime);
    const uint64_t ticks = (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    return static_cast<int64_t>(ticks / 600000000ULL);
}

// True when the zone's offset from UTC at `utc` differs from its standard offset, i.e. the
// daylight-saving shift in force then is non-zero (the year's own rules are used).
bool daylightSavingAt(DYNAMIC_TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& utc) {
    TIME_ZONE_INFORMATION rules{};
    if (!GetTimeZoneInformationForYear(utc.wYear, &zone, &rules)) return false;
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(&rules, &utc, &local)) return false;
    const int64_t offset = minutesOf(local) - minutesOf(utc);
    const int64_t standardOffset = -static_cast<int64_t>(rules.Bias + rules.StandardBias);
    return offset != standardOffset;
}

}  // namespace

CurrentTimeZone currentTimeZone(std::chrono::system_clock::time_point now) {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) throw std::runtime_error(noCurrentZone);
    const wchar_t* key = zone.TimeZoneKeyName[0] != L'\0' ? zone.TimeZoneKeyName : zone.StandardName;
    if (key[0] == L'\0') throw std::runtime_error(noCurrentZone);
    const std::string windowsName = toUtf8(std::u16string(key, key + std::wcslen(key)));
    return {ianaName(windowsName), daylightSavingAt(zone, systemTime(now))};
}

std::tm brokenDownTime(std::time_t t, TimeMode mode) {
    std::tm broken{};
    const errno_t result = mode == TimeMode::Local ? localtime_s(&broken, &t) : gmtime_s(&broken, &t);
    return result == 0 ? broken : std::tm{};
}

}  // namespace devlib_instr
