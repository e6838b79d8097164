// The plan before the apply: what `config write` would change, computed from reads alone (the
// detector is never switched off). Per JSON path, the value the detector holds and the value the
// document would write, for every value that differs, the paths the detector does not hold (a
// write ignores them), and the database sections a write would rewrite.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "DocumentPaths.hpp"

namespace torvik::cli {

struct ValueChange {
    std::string path;  // e.g. "channels.1.alarms.upper_a1.level"
    nlohmann::ordered_json held;
    nlohmann::ordered_json wanted;
};

struct WritePlan {
    std::vector<ValueChange> changes;
    std::vector<std::string> ignored;   // paths of the document the detector does not hold
    std::vector<std::string> sections;  // database section addresses, e.g. "0x04000000"
};

WritePlan planWrite(DeviceSession& session, ConfigurationAccess& configuration, const std::string& document);

// The plan as lines for a terminal; "no value would change" when there is nothing to write.
std::string describe(const WritePlan& plan);

}  // namespace torvik::cli
