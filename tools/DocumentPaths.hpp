// The JSON paths of a configuration document ("channels.1.alarms.upper_a1.level"): its leaves, the
// node at a path, and which of a document's values a detector did not take.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace torvik::cli {

using Json = nlohmann::ordered_json;

// Calls `visit(path, value)` for every value of the document below "device", "channels" and
// "sensors" (the members "version" and "$schema" name the document, not values).
void forEachValue(const Json& document, const std::function<void(const std::string&, const Json&)>& visit);

// The node at `path`, or null when the document has none there.
const Json* findPath(const Json& document, const std::string& path);

// The paths of `written` whose value `held` (what the detector holds afterwards) lacks or shows
// otherwise: values that are read-only or that this detector does not have. Numbers count as
// equal within float rounding, since levels are stored in another unit.
std::vector<std::string> valuesNotTaken(const Json& written, const Json& held);

}  // namespace torvik::cli
