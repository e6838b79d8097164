// Windows time-zone names (the registry key names Windows reports, "W. Europe Standard Time") and
// the IANA zones the Unicode CLDR maps them to, each by the zone's own name in the tz database
// ("Asia/Kolkata" where CLDR keeps the link "Asia/Calcutta"). Platform-neutral, so that the table
// is tested on every build; the Windows time zone uses it to name the host's zone.
#pragma once

#include <string_view>

namespace devlib_instr {

// The IANA name of the Windows zone (CLDR's "001" entry: "Europe/Berlin" for
// "W. Europe Standard Time"), or an empty view for a name the table does not hold.
std::string_view ianaNameOfWindowsZone(std::string_view windowsName);

}  // namespace devlib_instr
