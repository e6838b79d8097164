// An in-memory serial link: every written frame is answered from a script (optionally after an
// echo of the frame), and reads take from the pending bytes without real waiting.
#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "torvik/uart_interface.hpp"

namespace torvik_test {

class FakeUart : public devlib_instr::AbstractUartInterface {
public:
    explicit FakeUart(uint32_t baud = 115200) : AbstractUartInterface("fake", baud) { open(); }

    void configure() override {}
    void setBaudRate(uint32_t baud) override { rateChanges.push_back(baud); }

    bool echo = false;
    std::deque<std::string> replies;  // one per written frame; none left: silence
    uint32_t failingWrites = 0;       // the next k writes throw CommError(0)
    std::string pending;              // bytes waiting to be read
    std::vector<std::string> written;
    std::vector<uint32_t> rateChanges;
    std::vector<uint32_t> ratesAtWrite;

protected:
    bool doOpen() override { return true; }
    bool doClose() override { return true; }
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override {
        if (failingWrites > 0) {
            --failingWrites;
            throw devlib_instr::CommInterface::CommError(0);
        }
        std::string frame(data, data + size);
        written.push_back(frame);
        ratesAtWrite.push_back(baudRate);
        if (echo) pending += frame;
        if (!replies.empty()) {
            pending += replies.front();
            replies.pop_front();
        }
        return size;
    }
    bool writeByte(uint8_t value) override { return writeBytes(&value, 1) == 1; }
    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t) override {
        auto count = static_cast<uint32_t>(std::min<size_t>(size, pending.size()));
        std::copy_n(pending.begin(), count, buffer);
        pending.erase(0, count);
        // A silent line costs a little time instead of a busy loop.
        if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return count;
    }
};

}  // namespace torvik_test
