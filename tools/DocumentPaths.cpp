#include "DocumentPaths.hpp"

#include <algorithm>
#include <cmath>

namespace torvik::cli {

namespace {

// Relative difference below which two numbers are the same value: a level goes through a
// 32-bit float in ppm and back into the channel's unit.
constexpr double sameNumber = 1e-5;

void visitLeaves(const Json& node, const std::string& path,
                 const std::function<void(const std::string&, const Json&)>& visit) {
    if (!node.is_object()) {
        visit(path, node);
        return;
    }
    for (const auto& [name, member] : node.items()) visitLeaves(member, path + "." + name, visit);
}

bool sameValue(const Json& a, const Json& b) {
    if (!a.is_number() || !b.is_number()) return a == b;
    double x = a.get<double>();
    double y = b.get<double>();
    return std::abs(x - y) <= sameNumber * std::max({1.0, std::abs(x), std::abs(y)});
}

}  // namespace

void forEachValue(const Json& document, const std::function<void(const std::string&, const Json&)>& visit) {
    if (!document.is_object()) return;
    for (const auto& [name, member] : document.items())
        if (name != "version" && name != "$schema") visitLeaves(member, name, visit);
}

const Json* findPath(const Json& document, const std::string& path) {
    const Json* node = &document;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = std::min(path.find('.', start), path.size());
        std::string name = path.substr(start, end - start);
        if (!node->is_object() || !node->contains(name)) return nullptr;
        node = &(*node)[name];
        start = end + 1;
    }
    return node;
}

std::vector<std::string> valuesNotTaken(const Json& written, const Json& held) {
    std::vector<std::string> paths;
    forEachValue(written, [&](const std::string& path, const Json& value) {
        if (value.is_null()) return;  // a write skips null members
        const Json* now = findPath(held, path);
        if (now == nullptr || !sameValue(*now, value)) paths.push_back(path);
    });
    return paths;
}

}  // namespace torvik::cli
