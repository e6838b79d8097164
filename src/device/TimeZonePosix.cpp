// The host's zone from the operating system's time-zone database (/usr/share/zoneinfo, read by
// the date library built with USE_OS_TZDB), and the C library's break-down of times. Windows uses
// the Win32 time-zone API instead.
#include <date/tz.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string_view>

#include "device/TimeZone.hpp"

namespace devlib_instr {

namespace {

// The date library's own text for a zoned time without a zone; kept so hosts see one message
// whatever the reason the zone is missing.
constexpr char noCurrentZone[] = "zoned_time constructed with a time zone pointer == nullptr";

// The C library takes a TZ that is set but empty for UTC.
constexpr char emptyTzZone[] = "Etc/UTC";

// The zone the C library's local time follows: the TZ variable when it is set (":Europe/Berlin"
// or "Europe/Berlin"), else the system zone that /etc/localtime names. A TZ value the database
// does not know (a POSIX rule text, a typo) gives no zone rather than a name that would not match
// the local times written beside it.
const date::time_zone* hostZone() {
    try {
        const char* variable = std::getenv("TZ");
        if (variable == nullptr) return date::current_zone();
        std::string_view name(variable);
        if (name.empty()) return date::locate_zone(emptyTzZone);
        if (name.front() == ':') name.remove_prefix(1);
        return date::locate_zone(name);
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace

CurrentTimeZone currentTimeZone(std::chrono::system_clock::time_point now) {
    const date::time_zone* zone = hostZone();
    if (zone == nullptr) throw std::runtime_error(noCurrentZone);
    const date::sys_info info = zone->get_info(std::chrono::time_point_cast<std::chrono::seconds>(now));
    return {std::string(zone->name()), info.save != std::chrono::minutes(0)};
}

std::tm brokenDownTime(std::time_t t, TimeMode mode) {
    std::tm broken{};
    const std::tm* result = mode == TimeMode::Local ? localtime_r(&t, &broken) : gmtime_r(&t, &broken);
    return result != nullptr ? broken : std::tm{};
}

}  // namespace devlib_instr
