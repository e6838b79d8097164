// An in-memory serial link. Every written frame is answered by a Reply: the next one of the script
// or, once the script is spent, the responder's (the simulator's detector model, for one). A reply
// may echo the frame, fail the write, hand out a few bytes a read, and fail one read once it has
// been read up. A read on a silent line waits out its time-out on the clock the link is given (a
// SkippingClock: no real time passes) and returns nothing. What was written is recorded with the
// rate in force, and so are the rate changes.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Clock.hpp"
#include "torvik/uart_interface.hpp"

namespace torvik_test {

class MemoryLink : public devlib_instr::AbstractUartInterface {
public:
    // What the line does with one written frame.
    struct Reply {
        std::string bytes{};           // what comes back, after the echo
        bool echo = false;             // the written frame comes back first (a half-duplex line)
        bool writeFails = false;       // the write raises CommError(0) instead, and nothing comes back
        uint32_t readLimit = 0;        // most bytes one read returns until the next write (0: no limit)
        bool failsWhenReadUp = false;  // once read up, one read raises CommError(0) before the line is silent
    };
    // Answers a written frame (its CR included).
    using Responder = std::function<Reply(std::string_view frame)>;

    explicit MemoryLink(const devlib_instr::AbstractClock& clock, uint32_t baud = 115200)
        : AbstractUartInterface("memory", baud), clock_(clock) {
        open();
    }

    void configure() override {}
    void setBaudRate(uint32_t baud) override { rateChanges.push_back(baud); }

    std::deque<Reply> script;  // one reply per write, in order
    Responder responder;       // answers the writes once the script is spent; without one the line is silent
    // Once the script is spent (with no responder) and nothing is pending, the line has gone away:
    // reads and writes fail.
    bool goneWhenSpent = false;
    std::string pending;  // bytes waiting to be read

    std::vector<std::string> written;
    std::vector<uint32_t> ratesAtWrite;  // the rate in force at each write
    std::vector<uint32_t> rateChanges;
    std::string served;  // every byte the replies brought (echoes included), in order

protected:
    bool doOpen() override { return true; }
    bool doClose() override { return true; }
    bool writeByte(uint8_t value) override { return writeBytes(&value, 1) == 1; }

    uint32_t writeBytes(const uint8_t* data, uint32_t size) override {
        if (gone()) throw CommError(0);
        std::string frame(data, data + size);
        const Reply reply = next(frame);
        if (reply.writeFails) throw CommError(0);
        if (reply.echo) serve(frame);
        serve(reply.bytes);
        written.push_back(std::move(frame));
        ratesAtWrite.push_back(baudRate);
        readLimit_ = reply.readLimit;
        failsWhenReadUp_ = reply.failsWhenReadUp;
        return size;
    }

    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override {
        if (pending.empty()) return silence(timeoutMs);
        size_t count = std::min<size_t>(size, pending.size());
        if (readLimit_ > 0) count = std::min<size_t>(count, readLimit_);
        std::copy_n(pending.begin(), count, buffer);
        pending.erase(0, count);
        return static_cast<uint32_t>(count);
    }

private:
    bool gone() const { return goneWhenSpent && script.empty() && !responder && pending.empty(); }

    Reply next(std::string_view frame) {
        if (script.empty()) return responder ? responder(frame) : Reply{};
        Reply reply = std::move(script.front());
        script.pop_front();
        return reply;
    }

    void serve(std::string_view bytes) {
        pending += bytes;
        served += bytes;
    }

    uint32_t silence(uint32_t timeoutMs) {
        if (gone() || std::exchange(failsWhenReadUp_, false)) throw CommError(0);
        clock_.sleepFor(std::chrono::milliseconds(timeoutMs));
        return 0;
    }

    const devlib_instr::AbstractClock& clock_;
    uint32_t readLimit_ = 0;
    bool failsWhenReadUp_ = false;  // before the first write the line is just silent
};

// Hands out memory links on one clock, each set up by `setUp` (its script or responder). Install
// it with devlib_instr::SetUARTInterfaceFactory.
class MemoryLinkFactory : public devlib_instr::AbstractUartInterfaceFactory {
public:
    MemoryLinkFactory(const devlib_instr::AbstractClock& clock, std::function<void(MemoryLink&)> setUp)
        : clock_(clock), setUp_(std::move(setUp)) {}

    devlib_instr::AbstractUartInterface* create(const std::string&) override {
        auto link = std::make_unique<MemoryLink>(clock_);
        setUp_(*link);
        return link.release();
    }
    const devlib_instr::AbstractClock& clock() const { return clock_; }

private:
    const devlib_instr::AbstractClock& clock_;
    std::function<void(MemoryLink&)> setUp_;
};

}  // namespace torvik_test
