// The Windows time-zone table against the Unicode CLDR data it is generated from: every Windows
// zone of the data gives the IANA zone of its "001" (world) entry, by the zone's own name in the
// tz database (never by one of its links), a zone the date library knows.
#include <date/tz.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "device/WindowsZoneNames.hpp"

namespace devlib_instr {
namespace {

// The zone a name of the tz database that Debian's tzdata installs stands for: a zone is a file
// there and a link a symbolic link to its zone. (The date library takes every file for a zone and
// reports a link by its own name, so it cannot tell them apart.)
std::string zoneOf(const std::string& name) {
    const std::filesystem::path zoneinfo = std::filesystem::canonical("/usr/share/zoneinfo");
    return std::filesystem::canonical(zoneinfo / name).lexically_relative(zoneinfo).generic_string();
}

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

TEST(WindowsZoneNames, EveryWindowsZoneOfTheCldrDataMapsToAnIanaZoneByItsOwnName) {
    const auto zones = worldZonesOfTheData();
    ASSERT_GT(zones.size(), 100u);
    for (const auto& [windows, cldr] : zones) {
        SCOPED_TRACE(windows);
        ASSERT_FALSE(cldr.empty()) << "no 001 entry in the data";
        const std::string iana(ianaNameOfWindowsZone(windows));
        EXPECT_EQ(iana, zoneOf(cldr));  // "Asia/Kolkata" for CLDR's "Asia/Calcutta"
        EXPECT_EQ(date::locate_zone(iana)->name(), iana);
    }
}

TEST(WindowsZoneNames, UnknownNamesAreNotMapped) {
    EXPECT_EQ(ianaNameOfWindowsZone(""), "");
    EXPECT_EQ(ianaNameOfWindowsZone("Mars Standard Time"), "");
}

}  // namespace
}  // namespace devlib_instr
