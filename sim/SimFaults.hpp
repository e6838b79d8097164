// The simulated detector's line behaviour and fault knobs, shared by the simulator and the tests
// that make it misbehave on purpose.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace torvik::sim {

struct LineOptions {
    bool echo = false;          // echo every request back before the reply (a half-duplex line)
    uint32_t replyDelayMs = 0;  // wait this long before replying
    bool paceAtBaud = false;    // send reply bytes no faster than the baud rate the host set
    // Bytes that arrive sooner than this after the host changed the line rate are garbled, as a
    // real line may garble them while it settles: the frame they belong to gets no reply.
    uint32_t settleMs = 0;
};

// What a numbered request gets instead of its normal reply. A damaged reply (garbage, checksum,
// truncation, short data) is one the device sent after acting on the request; a request met by
// silence, a standard error or a hang-up is one the device never acted on.
enum class Fault {
    None,
    Silence,           // no reply
    Garbage,           // line noise before the reply
    BadChecksum,       // the reply carries a wrong checksum
    StandardError,     // "?aq" + standardErrorCode instead of the reply
    Truncated,         // the reply stops before its checksum and CR
    HangUp,            // the simulator closes the line instead of replying, and serves no more
    ShortMemoryReply,  // a ReadMemory reply carries half the bytes asked for (other requests: no fault)
};

// Requests are numbered from the last Simulator::setFaults. A request that gets no reply is never seen by the model, so
// it changes nothing on the device; every request is still echoed when the line echoes (but for a
// hang-up).
struct Faults {
    bool silentForever = false;        // no reply at all
    std::string corruptChecksumFor{};  // a command code whose replies carry a wrong checksum (the
                                       // device still acts on the request: a reply lost on the line)
    std::string standardErrorFor{};    // a command code ("AR", "H", ...) that gets "?aq" + code
    uint8_t standardErrorCode = 1;
    std::string rawReplyFor{};  // a command code answered with rawReply verbatim
    std::string rawReply{};     // sent as is (the CR too, if wanted)
    std::string silentFor{};    // a command code that never gets a reply
    // The requests numbered faultAt .. faultAt + faultCount - 1 (0 is the first after setFaults) get
    // `fault`. A retry is a request of its own: faultCount = the host's attempts fails one exchange.
    Fault fault = Fault::None;
    uint32_t faultAt = 0;
    uint32_t faultCount = 1;
    // Further numbered faults, one request each (request number -> fault), for a run that meets
    // several kinds of fault in turn.
    std::map<uint32_t, Fault> faultsAt{};
};

}  // namespace torvik::sim
