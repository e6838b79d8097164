#include "sim/CommandDispatcher.hpp"

#include <array>

#include "sim/DetectorModel.hpp"

namespace torvik::sim {
namespace {

using M = DetectorModel;

struct StandardError {
    uint8_t code;
    std::string_view text;
};

constexpr std::array<StandardError, 17> kStandardErrors{{
    {0, "Command too long."},
    {1, "Illegal command."},
    {2, "Bad state for BP command."},
    {3, "Illegal parameter in command."},
    {8, "Format error or received checksum mismatch."},
    {9, "\"J\" command without FPS pin."},
    {10, "Command too short."},
    {11, "Command length mismatch,"},
    {12, "Unknown command."},
    {13, "Bad state for connect command."},
    {14, "Command received in wrong state."},
    {15, "Battery low."},
    {16, "Reading datalog data error."},
    {17, "Illegal address when reading datalog."},
    {18, "Datalog is empty."},
    {19, "Datalog start page too long."},
    {20, "Datalog buffer too small."},
}};

// The command whose code (request or reply, as `codeOf` picks it) starts the body: a
// two-character code first, then a one-character one.
template <class CodeOf>
const CommandDispatcher::Command* findBy(std::string_view body, CodeOf codeOf) {
    for (size_t length : {size_t{2}, size_t{1}}) {
        if (body.size() < length) continue;
        for (const auto& command : CommandDispatcher::commands())
            if (codeOf(command) == body.substr(0, length)) return &command;
    }
    return nullptr;
}

}  // namespace

std::span<const CommandDispatcher::Command> CommandDispatcher::commands() {
    // Inside a member: the model's handlers are private to its dispatcher.
    static constexpr std::array<Command, 15> kCommands{{
        {"H", "h", "hello: identity, firmware and clock", &M::onHello},
        {"AC", "ac", "connect for a database write", &M::onConnect},
        {"AD", "ad", "disconnect", &M::onDisconnect},
        {"_F", "_f", "footprint: device type", &M::onFootprint},
        {"AI", "ai", "read device state", &M::onReadState},
        {"AM", "am", "switch on", &M::onSwitchOn},
        {"AO", "ao", "switch off", &M::onSwitchOff},
        {"BH", "bh", "set maintenance mode", &M::onMaintenance},
        {"AR", "ar", "read memory", &M::onReadMemory},
        {"AW", "aw", "write memory", &M::onWriteMemory},
        {"DK", "dk", "GDC datalog: read memory configuration", &M::onMemoryConfiguration},
        {"DM", "dm", "GDC datalog: read from the beginning", &M::onReadFromBeginning},
        {"DN", "dn", "GDC datalog: read new data", &M::onReadNew},
        {"DP", "dp", "GDC datalog: move read position", &M::onMoveReadPosition},
        {"DL", "dl", "GDC datalog: clear", &M::onClearDatalog},
    }};
    return kCommands;
}

const CommandDispatcher::Command* CommandDispatcher::find(std::string_view body) {
    return findBy(body, [](const Command& command) { return command.code; });
}

const CommandDispatcher::Command* CommandDispatcher::findReply(std::string_view body) {
    return findBy(body, [](const Command& command) { return command.replyCode; });
}

std::string_view standardErrorText(uint8_t code) {
    for (const auto& error : kStandardErrors)
        if (error.code == code) return error.text;
    return "Unknown standard error.";
}

}  // namespace torvik::sim
