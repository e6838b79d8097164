// The host's zone from the Win32 time-zone API. It replaces the "tzdata" directory beside the host
// executable: Windows keeps its own zone rules, so the DLL needs no time-zone files at all.
// The zone's name is the IANA name of the Windows zone (the mapping Unicode CLDR publishes, main
// region of each zone); a Windows zone missing from the table is reported by its Windows key name
// (for example "W. Europe Standard Time").
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "core/TextConversion.hpp"
#include "device/TimeZone.hpp"

namespace devlib_instr {
namespace {

// The date library's text for a zoned time without a zone; Linux raises the same.
constexpr char noCurrentZone[] = "zoned_time constructed with a time zone pointer == nullptr";

struct ZoneName {
    const char* windows;
    const char* iana;
};

constexpr ZoneName zoneNames[] = {
    {"Dateline Standard Time", "Etc/GMT+12"},
    {"UTC-11", "Etc/GMT+11"},
    {"Hawaiian Standard Time", "Pacific/Honolulu"},
    {"Alaskan Standard Time", "America/Anchorage"},
    {"Pacific Standard Time (Mexico)", "America/Tijuana"},
    {"Pacific Standard Time", "America/Los_Angeles"},
    {"US Mountain Standard Time", "America/Phoenix"},
    {"Mountain Standard Time", "America/Denver"},
    {"Central America Standard Time", "America/Guatemala"},
    {"Central Standard Time", "America/Chicago"},
    {"Central Standard Time (Mexico)", "America/Mexico_City"},
    {"Canada Central Standard Time", "America/Regina"},
    {"SA Pacific Standard Time", "America/Bogota"},
    {"Eastern Standard Time", "America/New_York"},
    {"US Eastern Standard Time", "America/Indianapolis"},
    {"Cuba Standard Time", "America/Havana"},
    {"Venezuela Standard Time", "America/Caracas"},
    {"Paraguay Standard Time", "America/Asuncion"},
    {"Atlantic Standard Time", "America/Halifax"},
    {"SA Western Standard Time", "America/La_Paz"},
    {"Pacific SA Standard Time", "America/Santiago"},
    {"Newfoundland Standard Time", "America/St_Johns"},
    {"E. South America Standard Time", "America/Sao_Paulo"},
    {"Argentina Standard Time", "America/Buenos_Aires"},
    {"SA Eastern Standard Time", "America/Cayenne"},
    {"Greenland Standard Time", "America/Godthab"},
    {"Montevideo Standard Time", "America/Montevideo"},
    {"UTC-02", "Etc/GMT+2"},
    {"Azores Standard Time", "Atlantic/Azores"},
    {"Cape Verde Standard Time", "Atlantic/Cape_Verde"},
    {"UTC", "Etc/UTC"},
    {"GMT Standard Time", "Europe/London"},
    {"Greenwich Standard Time", "Atlantic/Reykjavik"},
    {"Morocco Standard Time", "Africa/Casablanca"},
    {"W. Europe Standard Time", "Europe/Berlin"},
    {"Central Europe Standard Time", "Europe/Budapest"},
    {"Romance Standard Time", "Europe/Paris"},
    {"Central European Standard Time", "Europe/Warsaw"},
    {"W. Central Africa Standard Time", "Africa/Lagos"},
    {"Namibia Standard Time", "Africa/Windhoek"},
    {"Jordan Standard Time", "Asia/Amman"},
    {"GTB Standard Time", "Europe/Bucharest"},
    {"Middle East Standard Time", "Asia/Beirut"},
    {"Egypt Standard Time", "Africa/Cairo"},
    {"E. Europe Standard Time", "Europe/Chisinau"},
    {"Syria Standard Time", "Asia/Damascus"},
    {"South Africa Standard Time", "Africa/Johannesburg"},
    {"FLE Standard Time", "Europe/Kiev"},
    {"Israel Standard Time", "Asia/Jerusalem"},
    {"Kaliningrad Standard Time", "Europe/Kaliningrad"},
    {"Arabic Standard Time", "Asia/Baghdad"},
    {"Turkey Standard Time", "Europe/Istanbul"},
    {"Arab Standard Time", "Asia/Riyadh"},
    {"Belarus Standard Time", "Europe/Minsk"},
    {"Russian Standard Time", "Europe/Moscow"},
    {"E. Africa Standard Time", "Africa/Nairobi"},
    {"Iran Standard Time", "Asia/Tehran"},
    {"Arabian Standard Time", "Asia/Dubai"},
    {"Azerbaijan Standard Time", "Asia/Baku"},
    {"Russia Time Zone 3", "Europe/Samara"},
    {"Mauritius Standard Time", "Indian/Mauritius"},
    {"Georgian Standard Time", "Asia/Tbilisi"},
    {"Caucasus Standard Time", "Asia/Yerevan"},
    {"Afghanistan Standard Time", "Asia/Kabul"},
    {"West Asia Standard Time", "Asia/Tashkent"},
    {"Ekaterinburg Standard Time", "Asia/Yekaterinburg"},
    {"Pakistan Standard Time", "Asia/Karachi"},
    {"India Standard Time", "Asia/Calcutta"},
    {"Sri Lanka Standard Time", "Asia/Colombo"},
    {"Nepal Standard Time", "Asia/Katmandu"},
    {"Bangladesh Standard Time", "Asia/Dhaka"},
    {"Myanmar Standard Time", "Asia/Rangoon"},
    {"SE Asia Standard Time", "Asia/Bangkok"},
    {"North Asia Standard Time", "Asia/Krasnoyarsk"},
    {"China Standard Time", "Asia/Shanghai"},
    {"North Asia East Standard Time", "Asia/Irkutsk"},
    {"Singapore Standard Time", "Asia/Singapore"},
    {"W. Australia Standard Time", "Australia/Perth"},
    {"Taipei Standard Time", "Asia/Taipei"},
    {"Tokyo Standard Time", "Asia/Tokyo"},
    {"Korea Standard Time", "Asia/Seoul"},
    {"Yakutsk Standard Time", "Asia/Yakutsk"},
    {"Cen. Australia Standard Time", "Australia/Adelaide"},
    {"AUS Central Standard Time", "Australia/Darwin"},
    {"E. Australia Standard Time", "Australia/Brisbane"},
    {"AUS Eastern Standard Time", "Australia/Sydney"},
    {"West Pacific Standard Time", "Pacific/Port_Moresby"},
    {"Tasmania Standard Time", "Australia/Hobart"},
    {"Vladivostok Standard Time", "Asia/Vladivostok"},
    {"Central Pacific Standard Time", "Pacific/Guadalcanal"},
    {"UTC+12", "Etc/GMT-12"},
    {"New Zealand Standard Time", "Pacific/Auckland"},
    {"Fiji Standard Time", "Pacific/Fiji"},
    {"Tonga Standard Time", "Pacific/Tongatapu"},
};

std::string ianaName(const std::string& windowsName) {
    for (const ZoneName& zone : zoneNames)
        if (windowsName == zone.windows) return zone.iana;
    return windowsName;
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

}  // namespace devlib_instr
