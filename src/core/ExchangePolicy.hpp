// How long the library waits for the detector and how often it tries again: the protocol's values
// by default. Every context carries one policy, and the device, the datalog reader and the
// database communicator take their values from their context's. For diagnostics (and the tests)
// the environment variable TORVIK_EXCHANGE_POLICY, read when a context is created, changes single
// values: "reply_timeout_ms=30,attempts=3" for example. It is taken whole or not at all, every
// value within bounds, and a context says once, in its log, that its timing is not the protocol's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/WaitGuard.hpp"

namespace devlib_instr {

struct ExchangePolicy {
    uint32_t replyTimeoutMs = 500;        // per attempt, for every request but the datalog clear
    uint32_t clearReplyTimeoutMs = 3000;  // the datalog clear erases flash on the device
    uint32_t attempts = 10;
    uint32_t retryPauseMs = 0;        // between two attempts
    uint32_t rateSwitchPauseMs = 50;  // after a change of line rate the device needs a moment
    uint32_t byteReadTimeoutMs = 50;  // each read of a reply's bytes after its head
    uint32_t statePollMs = WaitGuard::pauseMs(WaitGuard::deviceStatePoll);
    uint32_t writePauseMs = WaitGuard::pauseMs(WaitGuard::databaseWritePause);  // after a database write
    uint32_t stateWaitTimeoutMs = 30000;  // the database write's wait for the switched-off or -on state
    uint32_t readyWaitTimeoutMs = 5000;   // the datalog clear's wait for the ready state
    uint32_t maintenanceDurationS = 30;   // how long the device stays in maintenance mode

    static constexpr char environmentVariable[] = "TORVIK_EXCHANGE_POLICY";

    bool operator==(const ExchangePolicy&) const = default;

    // The defaults with the values a list "name=value,name=value" sets (names as in the README,
    // values in decimal within each value's bounds; of a name given twice the last counts). A list
    // with an entry that is not such a setting is refused as a whole: nullopt, and `problem` names
    // the entry.
    static std::optional<ExchangePolicy> parse(std::string_view settings, std::string& problem);

    // "name=value" of every value that differs from the protocol's, joined by ", ".
    std::string differences() const;
};

// The policy a new context takes from the environment, and the line its log must carry once: why
// the variable was ignored, or which values differ from the protocol's (empty when none).
struct EnvironmentPolicy {
    static EnvironmentPolicy read();
    ExchangePolicy policy;
    std::u16string notice;
};

}  // namespace devlib_instr
