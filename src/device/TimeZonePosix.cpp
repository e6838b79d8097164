// The host's zone from the operating system's time-zone database (/usr/share/zoneinfo, read by
// the date library built with USE_OS_TZDB). Windows uses the Win32 time-zone API instead.
#include <date/tz.h>

#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "device/TimeZone.hpp"

namespace devlib_instr {

namespace {

// The date library's own text for a zoned time without a zone; kept so hosts see one message
// whatever the reason the zone is missing.
constexpr char noCurrentZone[] = "zoned_time constructed with a time zone pointer == nullptr";

// The zone the C library's local time follows: the TZ variable when it is set (":Europe/Berlin"
// or "Europe/Berlin"), else the system zone that /etc/localtime names. A TZ value the database
// does not know (a POSIX rule text, a typo) gives no zone rather than a name that would not match
// the local times written beside it.
const date::time_zone* hostZone() {
    try {
        const char* variable = std::getenv("TZ");
        if (variable == nullptr || *variable == '\0') return date::current_zone();
        std::string_view name(variable);
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

}  // namespace devlib_instr
