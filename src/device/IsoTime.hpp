// ISO 8601 texts of time values for the datalog archive. The environment variable
// PELLO_TZ_OFFSET_SEC (seconds east of UTC) overrides the host's zone: the text is then UTC shifted
// by that offset and carries it as the zone suffix, which makes archives reproducible in tests.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace devlib_instr {

enum class TimeMode { Local, Utc };

// The offset from PELLO_TZ_OFFSET_SEC when the variable is set and not empty (text that does not
// parse counts as 0); none otherwise.
std::optional<int64_t> overriddenZoneOffset();

// "2024-05-01T10:00:00+0200". With the override in force, `addOffset` shifts t by it first.
std::string isoTimeText(std::time_t t, TimeMode mode, bool addOffset);

// The device clock (a broken-down local time; its daylight flag is decided by the conversion) as
// ISO text in local mode; when the C library cannot convert it, the broken-down time formatted as is.
std::string deviceTimeText(std::tm deviceTime);

}  // namespace devlib_instr
