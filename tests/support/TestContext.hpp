// A context owned by a unit test: its log lines are collected and its pauses take no time. Its
// clock follows real time between pauses, as a simulator on a pty needs; a test that only talks
// to in-memory links may ask for virtual time instead.
#pragma once

#include <string>
#include <string_view>

#include "core/Context.hpp"
#include "core/Handle.hpp"
#include "support/LogCollector.hpp"
#include "support/SkippingClock.hpp"

namespace torvik_test {

class TestContext {
public:
    // `settings` change the exchange policy ("state_poll_ms=1000,...").
    explicit TestContext(std::string_view settings = {}, SkippingClock::Pace pace = SkippingClock::Pace::realTime)
        : clock_(pace), context_(new devlib_instr::Context) {
        devlib_instr::addRef(context_);
        guard_ = devlib_instr::lockHandle(context_);
        context_->setLogCallback(&LogCollector<>::callback, &log);
        context_->setClock(clock_);
        changePolicy(settings);
    }
    ~TestContext() {
        guard_.reset();
        devlib_instr::release(context_);
    }
    TestContext(const TestContext&) = delete;
    TestContext& operator=(const TestContext&) = delete;

    const devlib_instr::ContextGuard& guard() const { return guard_; }
    const devlib_instr::Context& context() const { return *context_; }
    const SkippingClock& clock() const { return clock_; }
    // The protocol's exchange settings but those `settings` names.
    void changePolicy(std::string_view settings) {
        std::string problem;
        context_->setExchangePolicy(devlib_instr::ExchangePolicy::parse(settings, problem).value());
    }
    std::vector<std::u16string> lines(devlib_instr::LogLevel level) const {
        return log.lines(static_cast<int32_t>(level));
    }

    LogCollector<> log;

private:
    SkippingClock clock_;
    devlib_instr::Context* context_;
    devlib_instr::ContextGuard guard_;
};

}  // namespace torvik_test
