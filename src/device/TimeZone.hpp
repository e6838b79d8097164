// What the platform knows about the host's local time, one implementation per platform:
// - Linux (TimeZonePosix.cpp): the operating system's database (/usr/share/zoneinfo) through the
//   date library built with USE_OS_TZDB; the zone is the one TZ names when it is set, else the one
//   /etc/localtime links to. No database file ships with the library.
// - Windows (TimeZoneWin32.cpp): the Win32 time-zone API; no "tzdata" directory is needed.
// IsoTime.hpp builds the archive's time texts and zone on these, with a fallback that never fails.
#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace devlib_instr {

struct CurrentTimeZone {
    std::string name;             // the zone's name (IANA name where the platform has one)
    bool daylightSaving = false;  // the zone's daylight-saving shift at the given time is non-zero
};

// Throws std::runtime_error when no current zone can be found (on Windows also for a zone that
// has no IANA name).
CurrentTimeZone currentTimeZone(std::chrono::system_clock::time_point now);

enum class TimeMode { Local, Utc };

// The C library's thread-safe break-down of t as local time or as UTC; all fields 0 when it fails.
std::tm brokenDownTime(std::time_t t, TimeMode mode);

}  // namespace devlib_instr
