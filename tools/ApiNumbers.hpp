// The numbers of the C table that the tool passes and reads, in one place until the public header
// names them: error categories 0 to 5, log levels 0 to 3, the datalog reader's section options 0 to
// 3 and the datalog's section numbers (in its log lines).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace torvik::cli {

// An error record's category by number, as the word a user knows for what failed: argument
// checks, the line and decoding (0); the device (2); the datalog reader and its archive (3);
// writing the configuration database (4); reading and converting the configuration (5).
inline constexpr std::array<std::string_view, 6> errorCategoryWords{
    "general", "context", "device", "datalog", "configuration write", "configuration"};

namespace logLevel {
inline constexpr int32_t debug = 0;
inline constexpr int32_t info = 1;
inline constexpr int32_t warn = 2;
inline constexpr int32_t error = 3;
}  // namespace logLevel

// The datalog's sections by number: 0 measurement, 1 event, 2 control, 3 session, 4 debug,
// 5 diagnostic.
namespace datalogSection {
inline constexpr int session = 3;
}
inline constexpr std::array<std::string_view, 6> datalogSectionNames{"measurement", "event", "control",
                                                                     "session",     "debug", "diagnostic"};
inline std::string_view datalogSectionName(int section) {
    return section >= 0 && section < static_cast<int>(datalogSectionNames.size())
               ? datalogSectionNames[static_cast<size_t>(section)]
               : "section";
}

// The datalog reader's selection options: skip a section, or read everything from the beginning.
enum class DatalogOption : uint32_t { SkipMeasurement = 0, SkipEvent = 1, SkipDebug = 2, ReadAll = 3 };

}  // namespace torvik::cli
