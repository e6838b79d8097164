// A context owned by a test, with the log lines it receives and a clock whose pauses take no
// time, and a device on the simulator.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Context.hpp"
#include "core/Handle.hpp"
#include "support/SkippingClock.hpp"
#include "core/TextConversion.hpp"
#include "device/Device.hpp"
#include "sim/Simulator.hpp"

namespace devlib_instr::test {

class LoggedContext {
public:
    LoggedContext() : context_(new Context) {
        addRef(context_);
        guard_ = lockHandle(context_);
        context_->setLogCallback(&LoggedContext::collect, this);
        context_->setClock(clock_);
    }
    ~LoggedContext() {
        guard_.reset();
        release(context_);
    }
    LoggedContext(const LoggedContext&) = delete;
    LoggedContext& operator=(const LoggedContext&) = delete;

    const ContextGuard& guard() const { return guard_; }
    // Changes the values that `settings` names ("state_poll_ms=1000,...").
    void changePolicy(std::string_view settings) {
        context_->setExchangePolicy(context_->exchangePolicy().withSettings(settings));
    }

    // The lines logged at `level` so far, as UTF-8.
    std::vector<std::string> lines(LogLevel level) const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> result;
        for (const auto& [lineLevel, text] : lines_)
            if (lineLevel == static_cast<int32_t>(level)) result.push_back(text);
        return result;
    }

private:
    static void collect(int32_t level, const InstrWChar* text, void* user) {
        auto* self = static_cast<LoggedContext*>(user);
        std::lock_guard lock(self->mutex_);
        self->lines_.emplace_back(level, toUtf8(reinterpret_cast<const char16_t*>(text)));
    }

    torvik_test::SkippingClock clock_;
    Context* context_;
    ContextGuard guard_;
    mutable std::mutex mutex_;
    std::vector<std::pair<int32_t, std::string>> lines_;
};

// A device opened on a fresh simulator.
struct SimulatedDevice {
    explicit SimulatedDevice(const LoggedContext& context) : device(new Device(context.guard())) {
        addRef(device);
        guard = lockHandle(device);
        device->open(sim.portPath());
    }
    ~SimulatedDevice() {
        guard.reset();
        release(device);
    }
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    torvik::sim::Simulator sim;
    Device* device;
    DeviceGuard guard;
};

}  // namespace devlib_instr::test
