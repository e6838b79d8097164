#include "sim/CommandDispatcher.hpp"

#include <array>

#include "sim/DetectorModel.hpp"

namespace torvik::sim {
namespace {

using M = DetectorModel;

}  // namespace

const CommandDispatcher::Command* CommandDispatcher::find(std::string_view body) {
    static const std::array<Command, 15> table{{
        {"H", "h", &M::onHello},
        {"AC", "ac", &M::onConnect},
        {"AD", "ad", &M::onDisconnect},
        {"_F", "_f", &M::onFootprint},
        {"AI", "ai", &M::onReadState},
        {"AM", "am", &M::onSwitchOn},
        {"AO", "ao", &M::onSwitchOff},
        {"BH", "bh", &M::onMaintenance},
        {"AR", "ar", &M::onReadMemory},
        {"AW", "aw", &M::onWriteMemory},
        {"DK", "dk", &M::onMemoryConfiguration},
        {"DM", "dm", &M::onReadFromBeginning},
        {"DN", "dn", &M::onReadNew},
        {"DP", "dp", &M::onMoveReadPosition},
        {"DL", "dl", &M::onClearDatalog},
    }};
    for (size_t length : {size_t{2}, size_t{1}}) {
        if (body.size() < length) continue;
        for (const Command& command : table)
            if (command.code == body.substr(0, length)) return &command;
    }
    return nullptr;
}

}  // namespace torvik::sim
