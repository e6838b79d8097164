#include "WritePlan.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "ErrorReport.hpp"

namespace torvik::cli {

namespace {

// The library's log lines that show which sections a read takes from the database: a read says
// hello, reads the device configuration (the channel map) and then the sections of its values; a
// second hello starts the unit conversion's own reads, which a write does not rewrite.
constexpr std::string_view helloLine = "Saying hallo to device...";
constexpr std::string_view sectionLinePrefix = "Reading section with {";
constexpr std::string_view addressMarker = "at address ";

// The request that names only `path` (its value as the document gives it).
Json requestFor(const std::string& path, const Json& value, const Json& version) {
    Json request = {{"version", version}};
    Json* node = &request;
    size_t start = 0;
    for (size_t end = path.find('.'); end != std::string::npos; start = end + 1, end = path.find('.', start))
        node = &(*node)[path.substr(start, end - start)];
    (*node)[path.substr(start)] = value;
    return request;
}

std::string hexAddress(const std::string& decimal) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "0x%08lX", std::stoul(decimal));
    return text.data();
}

// The sections the first phase of a read took, in the order read (the device configuration first).
std::vector<std::string> sectionsRead(const std::vector<std::string>& lines) {
    std::vector<std::string> sections;
    int hellos = 0;
    for (const std::string& line : lines) {
        if (line == helloLine && ++hellos > 1) break;
        size_t at = line.find(addressMarker);
        if (!line.starts_with(sectionLinePrefix) || at == std::string::npos) continue;
        std::string address = line.substr(at + addressMarker.size());
        sections.push_back(hexAddress(address.substr(0, address.find(' '))));
    }
    return sections;
}

// The sections that hold the value a request names: a read of that value alone reads the device
// configuration, then the value's own sections (none when the device configuration holds it).
std::vector<std::string> sectionsOf(DeviceSession& session, ConfigurationAccess& configuration,
                                    const std::string& request) {
    session.log().takeCaptured();
    session.log().capture(true);
    configuration.read(request);
    session.log().capture(false);
    std::vector<std::string> sections = sectionsRead(session.log().takeCaptured());
    if (sections.size() > 1) sections.erase(sections.begin());
    return sections;
}

std::string text(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

WritePlan planWrite(DeviceSession& session, ConfigurationAccess& configuration, const std::string& document) {
    Json wanted = Json::parse(document, nullptr, false);
    if (!wanted.is_object()) throw ToolFailure("the document is not a JSON object");
    Json held = Json::parse(configuration.read(document), nullptr, false);
    WritePlan plan;
    std::set<std::string> sections;
    forEachValue(wanted, [&](const std::string& path, const Json& value) {
        const Json* now = findPath(held, path);
        if (now == nullptr) {
            plan.ignored.push_back(path);
        } else if (*now != value) {
            plan.changes.push_back({path, *now, value});
            for (std::string& section :
                 sectionsOf(session, configuration, requestFor(path, value, wanted["version"]).dump()))
                sections.insert(std::move(section));
        }
    });
    plan.sections.assign(sections.begin(), sections.end());
    return plan;
}

std::string describe(const WritePlan& plan) {
    std::string out;
    for (const ValueChange& change : plan.changes)
        out += change.path + ": " + text(change.held) + " -> " + text(change.wanted) + "\n";
    for (const std::string& path : plan.ignored) out += path + ": not held by this detector (a write ignores it)\n";
    if (plan.changes.empty()) return out + "no value would change: a write would rewrite no section\n";
    out += "a write would rewrite the database section(s)";
    for (const std::string& section : plan.sections) out += " " + section;
    return out + "\n";
}

}  // namespace torvik::cli
