// The host's zone from the operating system's time-zone database (/usr/share/zoneinfo and
// /etc/localtime, read by the date library built with USE_OS_TZDB). Windows uses the Win32
// time-zone API instead (TimeZoneWin32.cpp).
#include <date/tz.h>

#include <stdexcept>

#include "device/TimeZone.hpp"

namespace devlib_instr {

namespace {

// The date library's own text for a zoned time without a zone; kept so hosts see one message
// whatever the reason the zone is missing.
constexpr char noCurrentZone[] = "zoned_time constructed with a time zone pointer == nullptr";

const date::time_zone* hostZone() {
    try {
        return date::current_zone();
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
