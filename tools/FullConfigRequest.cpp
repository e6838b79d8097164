#include "FullConfigRequest.hpp"

#include <nlohmann/json.hpp>

#include "config/DocumentPaths.hpp"

namespace torvik::cli {

namespace {

using devlib_instr::DocumentPath;
using devlib_instr::DocumentRoot;
using devlib_instr::JsonType;
using nlohmann::json;

constexpr int channelCount = 6;

json placeholder(const DocumentPath& path) {
    switch (path.type) {
        case JsonType::Number:
            return 0;
        case JsonType::Boolean:
            return false;
        case JsonType::String:
            return path.texts.empty() ? std::string() : std::string(path.texts.front());
    }
    return nullptr;
}

void addLeaf(json& node, const DocumentPath& path) {
    json* leaf = &node;
    for (const std::string& member : path.members) leaf = &(*leaf)[member];
    *leaf = placeholder(path);
}

}  // namespace

std::string fullConfigRequest() {
    json request{{"version", devlib_instr::documentVersion}};
    for (const DocumentPath& path : devlib_instr::documentPaths()) {
        switch (path.root) {
            case DocumentRoot::Device:
                addLeaf(request["device"], path);
                break;
            case DocumentRoot::Channels:
                for (int channel = 0; channel < channelCount; ++channel) {
                    addLeaf(request["channels"][std::to_string(channel)], path);
                }
                break;
            case DocumentRoot::Sensors:
                for (int slot = 0; slot < devlib_instr::sensorSlotCount; ++slot) {
                    addLeaf(request["sensors"][std::to_string(slot)], path);
                }
                break;
        }
    }
    return request.dump();
}

}  // namespace torvik::cli
