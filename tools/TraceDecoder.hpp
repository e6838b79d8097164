// A wire trace as frames: the host's requests and the device's replies split at their CR and
// named by the simulator's command table, with their checksums checked; the line's echo, standard
// errors with their texts, garbage before a reply, replies cut short, silences and retries told
// apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "WireTrace.hpp"

namespace torvik::cli::trace {

enum class FrameKind {
    Open,
    Close,
    Rate,
    Request,        // host: a command frame
    Reply,          // device: a reply frame
    Echo,           // device: the line's echo of the request
    StandardError,  // device: "?aq" and a code
    Garbage,        // device: bytes that belong to no frame
    Incomplete,     // device: bytes without CR when the host went on
    Silence,        // device: nothing but the echo between a request and the host's next step
    LinkError,      // a call of the link failed
};

struct Frame {
    FrameKind kind;
    int64_t timeUs = 0;
    uint32_t baud = 0;
    size_t line = 0;                      // of the trace event that completed it
    std::string bytes{};                  // as on the wire
    std::string code{};                   // request and reply
    std::string description{};            // of the command (request, reply), or the error's text
    std::string payload{};                // request and reply
    std::optional<bool> checksumValid{};  // request and reply
    uint32_t attempt = 0;                 // request: 1, then 2, 3 ... for a retry of the same frame
    int64_t silentUs = 0;                 // silence: how long the host waited
    uint32_t errorCode = 0;               // standard error, link error
    std::string port{};                   // open
};

std::vector<Frame> decodeFrames(const Trace& trace);

// "request", "reply", "echo", ... as the JSON output names them.
const char* frameKindName(FrameKind kind);

}  // namespace torvik::cli::trace
