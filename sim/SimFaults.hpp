// The simulated detector's line behaviour and fault knobs, shared by the simulator and the tests
// that make it misbehave on purpose.
#pragma once

#include <cstdint>
#include <string>

namespace torvik::sim {

struct LineOptions {
    bool echo = false;          // echo every request back before the reply (a half-duplex line)
    uint32_t replyDelayMs = 0;  // wait this long before replying
    bool paceAtBaud = false;    // send reply bytes no faster than the baud rate the host set
};

// Counting starts anew with every Simulator::setFaults: "first k" means the first k requests (or
// replies) after the faults were set. A request that gets no reply is never seen by the model, so
// it changes nothing on the device; every request is still echoed when the line echoes.
struct Faults {
    uint32_t silentFirst = 0;           // no reply to the first k requests
    bool silentForever = false;         // no reply at all
    uint32_t corruptChecksumFirst = 0;  // the first k replies carry a wrong checksum
    std::string corruptChecksumFor{};   // a command code whose replies carry a wrong checksum (the
                                        // device still acts on the request: a reply lost on the line)
    uint32_t truncateFirst = 0;         // the first k replies stop before their checksum and CR
    uint32_t garbageFirst = 0;          // the first k replies are preceded by garbage bytes
    std::string standardErrorFor{};     // a command code ("AR", "H", ...) that gets "?aq" + code
    uint8_t standardErrorCode = 1;
    std::string rawReplyFor{};  // a command code answered with rawReply verbatim
    std::string rawReply{};     // sent as is (the CR too, if wanted)
    std::string silentFor{};    // a command code that never gets a reply
    uint32_t silentAfter = 0;   // with silentFor empty and > 0: go silent after k replies
};

}  // namespace torvik::sim
