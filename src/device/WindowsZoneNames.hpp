// Windows time-zone names (the registry key names Windows reports, "W. Europe Standard Time") and
// the IANA zone names the Unicode CLDR maps them to. Platform-neutral, so that the table is tested
// on every build; the Windows time zone uses it to name the host's zone.
#pragma once

#include <string_view>

namespace devlib_instr {

// The IANA name of the Windows zone (CLDR's "001" entry: "Europe/Berlin" for
// "W. Europe Standard Time"), or an empty view for a name Windows does not use.
std::string_view ianaNameOfWindowsZone(std::string_view windowsName);

}  // namespace devlib_instr
