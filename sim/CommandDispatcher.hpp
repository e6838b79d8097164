// The detector's command set as one table: request code, reply code, what the command does (as a
// wire trace shows it) and the model's handler.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace torvik::sim {

class DetectorModel;

// Standard error codes the simulated detector sends ("?aq" + two hex digits).
namespace stderr_code {
constexpr uint8_t kIllegalParameter = 3;
constexpr uint8_t kChecksumMismatch = 8;
constexpr uint8_t kUnknownCommand = 12;
constexpr uint8_t kWrongState = 14;
constexpr uint8_t kIllegalDatalogAddress = 17;
}  // namespace stderr_code

// Thrown by a handler that refuses its request; the model answers with the standard error reply.
struct CommandRefused {
    uint8_t code;
};

class CommandDispatcher {
public:
    using Handler = std::string (DetectorModel::*)(std::string_view payload);
    struct Command {
        std::string_view code;
        std::string_view replyCode;
        std::string_view description;
        Handler handler;
    };

    // Every command the detector knows, in the order of its protocol's catalogue.
    static std::span<const Command> commands();

    // The command a frame body starts with: a two-character code first, then a one-character one.
    static const Command* find(std::string_view body);
    // The command whose reply a frame body starts with, by the same rule.
    static const Command* findReply(std::string_view body);
};

// The text of a standard error code as the detector's documentation gives it; "Unknown standard
// error." for a code it does not list.
std::string_view standardErrorText(uint8_t code);

}  // namespace torvik::sim
