#include "TraceReplay.hpp"

#include <chrono>
#include <cstdio>
#include <thread>

#include "InterruptWatch.hpp"
#include "Terminal.hpp"
#include "sim/CommandDispatcher.hpp"

namespace torvik::cli {

namespace {

using trace::EventKind;

constexpr auto waitPoll = std::chrono::milliseconds(50);

std::string frameText(const std::string& frame, uint32_t baud) {
    const auto* command = sim::CommandDispatcher::find(frame);
    std::string name = command != nullptr ? std::string(command->description) : "unknown command";
    return trace::escapeBytes(frame) + "  (" + name + ", at " + std::to_string(baud) + " baud)";
}

}  // namespace

TraceReplay::TraceReplay(const trace::Trace& recorded, std::string path, bool fast) : path_(std::move(path)) {
    uint32_t baud = 0;
    int64_t sentUs = 0;
    bool hostTimedOut = false;
    for (const trace::Event& event : recorded.events) {
        if (event.kind == EventKind::Open || event.kind == EventKind::Rate) baud = event.baud;
        if (event.kind == EventKind::Write) {
            exchanges_.push_back({event.line, event.data, baud, {}});
            sentUs = event.timeUs;
            hostTimedOut = false;
        }
        if (event.kind != EventKind::Read || exchanges_.empty()) continue;  // bytes before any request: stale
        auto after = std::chrono::microseconds(fast && !hostTimedOut ? 0 : event.timeUs - sentUs);
        if (!event.data.empty()) exchanges_.back().parts.push_back({after, event.data});
        hostTimedOut = hostTimedOut || event.timedOut();
    }
}

sim::LineReply TraceReplay::respond(const std::string& frame, uint32_t baud) {
    std::lock_guard lock(mutex_);
    const std::string sent = frame + '\r';
    if (diverged_) return {{}, true};
    if (next_ == exchanges_.size()) {
        return diverge("the host sent a request after the last one recorded (" + std::to_string(exchanges_.size()) +
                       " in " + path_ + "):\n  received: " + frameText(sent, baud));
    }
    const Exchange& expected = exchanges_[next_];
    if (sent != expected.request || baud != expected.baud) {
        return diverge("the host's request differs from the recording at " + position(next_) + ":\n  expected: " +
                       frameText(expected.request, expected.baud) + "\n  received: " + frameText(sent, baud));
    }
    ++next_;
    return {expected.parts, false};
}

sim::LineReply TraceReplay::diverge(std::string report) {
    report_ = std::move(report);
    diverged_ = true;
    return {{}, true};
}

std::string TraceReplay::position(size_t index) const {
    return "request " + std::to_string(index + 1) + " of " + std::to_string(exchanges_.size()) + " (line " +
           std::to_string(exchanges_[index].line) + " of " + path_ + ")";
}

bool TraceReplay::complete() const {
    std::lock_guard lock(mutex_);
    return !diverged_ && next_ == exchanges_.size();
}

std::string TraceReplay::report() const {
    std::lock_guard lock(mutex_);
    if (diverged_) return report_;
    if (next_ == exchanges_.size()) {
        return "the host sent all " + std::to_string(exchanges_.size()) + " recorded requests as recorded";
    }
    return "the host stopped after " + std::to_string(next_) + " of " + std::to_string(exchanges_.size()) +
           " recorded requests; the next is " + position(next_);
}

int serveReplay(const std::string& path, bool fast, const std::string& link) {
    TraceReplay replay(trace::readTrace(path), path, fast);
    InterruptWatch interrupt;  // before the simulator's thread starts
    sim::Simulator simulator(replay, link);
    std::printf("%s\n", simulator.portPath().c_str());
    std::fflush(stdout);
    printMessage("torvik: replaying " + path + " on " + simulator.portPath() + " (Ctrl-C stops it)\n");
    while (!replay.diverged() && !interrupt.raised()) std::this_thread::sleep_for(waitPoll);
    simulator.stop();
    printMessage("torvik: replay: " + replay.report() + "\n");
    return replay.complete() ? 0 : 1;
}

}  // namespace torvik::cli
