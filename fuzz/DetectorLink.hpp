// A serial link to the simulator's detector model in this process: every written frame is answered
// at once by the model, through an optional filter that may change the reply on its way (the fuzz
// input mixed into the dialogue), after an echo of the frame on a line that echoes. No pty and no
// thread. A read that finds nothing pending and would
// have to wait fails (CommError(0)) instead, so a damaged reply is retried at once.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/Clock.hpp"
#include "sim/DetectorModel.hpp"
#include "torvik/uart_interface.hpp"

namespace torvik_fuzz {

// Given the request frame (without its CR) and the model's reply, returns what the line carries.
using ReplyFilter = std::function<std::string(std::string_view request, std::string reply)>;

class DetectorLink : public devlib_instr::AbstractUartInterface {
public:
    DetectorLink(torvik::sim::DetectorModel& model, ReplyFilter filter, bool echo,
                 const devlib_instr::AbstractClock& clock);

    void configure() override {}
    void setBaudRate(uint32_t) override {}

protected:
    bool doOpen() override { return true; }
    bool doClose() override { return true; }
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override;
    bool writeByte(uint8_t value) override { return writeBytes(&value, 1) == 1; }
    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override;

private:
    torvik::sim::DetectorModel& model_;
    ReplyFilter filter_;
    bool echo_;
    const devlib_instr::AbstractClock& clock_;
    std::string pending_;
};

// Hands out links to one model; install it with devlib_instr::SetUARTInterfaceFactory.
class DetectorLinkFactory : public devlib_instr::AbstractUartInterfaceFactory {
public:
    DetectorLinkFactory(torvik::sim::DetectorModel& model, ReplyFilter filter, bool echo,
                        const devlib_instr::AbstractClock& clock)
        : model_(model), filter_(std::move(filter)), echo_(echo), clock_(clock) {}

    devlib_instr::AbstractUartInterface* create(const std::string&) override {
        return new DetectorLink(model_, filter_, echo_, clock_);
    }
    const devlib_instr::AbstractClock& clock() const { return clock_; }

private:
    torvik::sim::DetectorModel& model_;
    ReplyFilter filter_;
    bool echo_;
    const devlib_instr::AbstractClock& clock_;
};

}  // namespace torvik_fuzz
