// An in-memory serial link whose replies come from a script: every write releases the next reply
// chunk (after an echo of the written frame when the chunk asks for one). Reads return at once with
// what is pending, at most `readLimit` bytes when the chunk sets one. A write may fail instead.
// When a chunk has been read up, the line is silent (a read returns nothing once its time-out has
// passed on the virtual clock), after one failing read (CommError(0)) unless the chunk says it goes
// silent at once. Once the script is spent and nothing is pending, the line has gone away: reads
// and writes fail.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/Clock.hpp"
#include "torvik/uart_interface.hpp"

namespace torvik_fuzz {

struct ScriptedReply {
    bool echo = false;        // the line returns the written frame first
    bool writeFails = false;  // the write raises CommError(0) and releases nothing
    uint32_t readLimit = 0;   // most bytes one read returns (0: no limit)
    bool thenSilent = false;  // after the chunk the line goes silent without a failing read
    std::string bytes;
};

class ScriptedLink : public devlib_instr::AbstractUartInterface {
public:
    ScriptedLink(std::deque<ScriptedReply> script, uint32_t baud, const devlib_instr::AbstractClock& clock)
        : AbstractUartInterface("scripted", baud), script_(std::move(script)), clock_(clock) {
        open();
    }

    void configure() override {}
    void setBaudRate(uint32_t) override {}

    const std::vector<std::string>& written() const { return written_; }
    // Every byte the line delivered or still holds, in order.
    const std::string& served() const { return served_; }

protected:
    bool doOpen() override { return true; }
    bool doClose() override { return true; }

    uint32_t writeBytes(const uint8_t* data, uint32_t size) override {
        if (script_.empty() && pending_.empty()) throw CommError(0);
        ScriptedReply reply = script_.empty() ? ScriptedReply{} : std::move(script_.front());
        if (!script_.empty()) script_.pop_front();
        if (reply.writeFails) throw CommError(0);
        written_.emplace_back(data, data + size);
        if (reply.echo) serve(written_.back());
        serve(reply.bytes);
        readLimit_ = reply.readLimit;
        silent_ = reply.thenSilent;
        return size;
    }
    bool writeByte(uint8_t value) override { return writeBytes(&value, 1) == 1; }

    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        if (pending_.empty() && script_.empty()) throw CommError(0);
        if (pending_.empty() && !silent_) {
            silent_ = true;
            throw CommError(0);
        }
        if (pending_.empty()) clock_.sleepFor(std::chrono::milliseconds(timeoutMs));
        size_t count = std::min<size_t>(size, pending_.size());
        if (readLimit_ > 0) count = std::min<size_t>(count, readLimit_);
        std::copy_n(pending_.begin(), count, buffer);
        pending_.erase(0, count);
        return static_cast<uint32_t>(count);
    }

private:
    void serve(const std::string& bytes) {
        pending_ += bytes;
        served_ += bytes;
    }

    std::deque<ScriptedReply> script_;
    const devlib_instr::AbstractClock& clock_;
    std::string pending_;
    std::string served_;
    std::vector<std::string> written_;
    uint32_t readLimit_ = 0;
    bool silent_ = true;  // before the first write the line is quiet
};

}  // namespace torvik_fuzz
