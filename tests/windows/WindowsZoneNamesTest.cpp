// The Windows time-zone table against the Unicode CLDR data it is generated from: every Windows
// zone of the data gives the IANA zone of its "001" (world) entry, and that zone is one the tz
// database knows.
#include <date/tz.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "device/WindowsZoneNames.hpp"

namespace devlib_instr {
namespace {

// Windows zone name -> IANA name of its "001" entry; names without one map to "".
std::map<std::string, std::string> worldZonesOfTheData() {
    std::ifstream file(TORVIK_WINDOWS_ZONES_JSON);
    const auto entries = nlohmann::json::parse(file).at("supplemental").at("windowsZones").at("mapTimezones");
    std::map<std::string, std::string> zones;
    for (const auto& entry : entries) {
        const auto& zone = entry.at("mapZone");
        std::string& iana = zones[zone.at("_other").get<std::string>()];
        if (zone.at("_territory") == "001") iana = zone.at("_type").get<std::string>();
    }
    return zones;
}

TEST(WindowsZoneNames, EveryWindowsZoneOfTheCldrDataMapsToAnIanaZone) {
    const auto zones = worldZonesOfTheData();
    ASSERT_GT(zones.size(), 100u);
    for (const auto& [windows, iana] : zones) {
        SCOPED_TRACE(windows);
        EXPECT_FALSE(iana.empty()) << "no 001 entry in the data";
        EXPECT_EQ(ianaNameOfWindowsZone(windows), iana);
        EXPECT_NO_THROW(date::locate_zone(iana));
    }
}

TEST(WindowsZoneNames, UnknownNamesAreNotMapped) {
    EXPECT_EQ(ianaNameOfWindowsZone(""), "");
    EXPECT_EQ(ianaNameOfWindowsZone("Mars Standard Time"), "");
}

}  // namespace
}  // namespace devlib_instr
