// The host's current time zone, one implementation per platform.
#pragma once

#include <chrono>
#include <string>

namespace devlib_instr {

struct CurrentTimeZone {
    std::string name;  // the zone's name (IANA name where the platform has one)
    bool daylightSaving = false;  // the zone's daylight-saving shift at the given time is non-zero
};

// Throws std::runtime_error when no current zone can be found.
CurrentTimeZone currentTimeZone(std::chrono::system_clock::time_point now);

}  // namespace devlib_instr
