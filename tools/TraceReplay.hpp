// The device side of a wire trace, served again: each request the host sends is compared with the
// one recorded next, and answered with the bytes the device sent after it in the recording (at
// the recorded pace, or at once). The first request that differs from the recording (its bytes,
// or the line rate it came at) ends the replay with a report of both frames and where the
// recorded one is in the trace; the line then hangs up, so the host stops too.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "WireTrace.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

class TraceReplay final : public sim::Responder {
public:
    // `fast`: every reply at once, except bytes that came only after the host had timed out
    // waiting, which keep their recorded delay (so the host times out as it did).
    TraceReplay(const trace::Trace& recorded, std::string path, bool fast);

    sim::LineReply respond(const std::string& frame, uint32_t baud) override;

    // True once a request differed from the recording.
    bool diverged() const { return diverged_; }
    // The divergence, or how far the host got: several lines for a person.
    std::string report() const;
    // Every recorded request was sent, and none differed.
    bool complete() const;

private:
    struct Exchange {
        size_t line = 0;  // of the request in the trace
        std::string request;
        uint32_t baud = 0;
        std::vector<sim::LineReply::Part> parts;
    };

    sim::LineReply diverge(std::string report);
    std::string position(size_t index) const;

    std::string path_;
    std::vector<Exchange> exchanges_;
    mutable std::mutex mutex_;
    size_t next_ = 0;
    std::string report_;
    std::atomic<bool> diverged_ = false;
};

// torvik sim --replay: serves the trace on a pty (published at `link` when given) until the host
// diverges or Ctrl-C; 0 when the host sent every recorded request unchanged.
int serveReplay(const std::string& path, bool fast, const std::string& link);

}  // namespace torvik::cli
