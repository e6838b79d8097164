// The host's local time as the datalog archive records it: ISO 8601 texts of time values and the
// host's zone. The environment variable PELLO_TZ_OFFSET_SEC (seconds east of UTC) overrides the
// zone for the texts: they are then UTC shifted by that offset and carry it as the zone suffix,
// which makes archives reproducible in tests. Nothing here fails: a time step never ends a read.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "device/TimeZone.hpp"

namespace devlib_instr {

// The offset from PELLO_TZ_OFFSET_SEC when the variable is set and not empty, read like strtol
// (leading blanks, an optional sign, then digits up to the first other character); text without
// a number, or an offset beyond a day, counts as 0. None when the variable is unset or empty.
std::optional<int64_t> overriddenZoneOffset();

// The host's local time t as "2024-05-01T10:00:00+0200". With the override in force, `addOffset`
// shifts t by it first.
std::string isoTimeText(std::time_t t, bool addOffset);

// The device clock (a broken-down local time; its daylight flag is decided by the conversion) as
// isoTimeText words it, without the shift; when the C library cannot convert it, the broken-down
// time as reported, formatted with "%FT%T%z".
std::string deviceTimeText(std::tm deviceTime);

// The host's zone at `now`: the platform's zone (IANA name) when it knows the current one; else
// the zone of the C library's local time, named by TZ when that is set (a POSIX rule such as
// "CET-1CEST") and otherwise by its offset (fixedOffsetZoneName), with daylight saving as the C
// library reports it.
CurrentTimeZone hostTimeZone(std::time_t now);

// The IANA name of a zone that is always `secondsEast` ahead of UTC: "Etc/GMT" for 0, "Etc/GMT-1"
// for one hour east, "Etc/GMT+5" for five hours west (the IANA names invert the sign). An offset
// that is not whole hours has no IANA name and reads "UTC+05:30".
std::string fixedOffsetZoneName(int64_t secondsEast);

}  // namespace devlib_instr
