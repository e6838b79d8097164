// The simulator over a real pty, driven through a raw file descriptor as a host would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "sim/Simulator.hpp"

namespace torvik::sim {
namespace {

// The host's end of the line, raw, at the exchange rate unless told otherwise.
class HostPort {
public:
    explicit HostPort(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        EXPECT_GE(fd_, 0) << path;
        setRate(B115200);
    }
    ~HostPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    void setRate(speed_t speed) {
        termios settings{};
        ASSERT_EQ(::tcgetattr(fd_, &settings), 0);
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, speed);
        ::cfsetospeed(&settings, speed);
        ASSERT_EQ(::tcsetattr(fd_, TCSANOW, &settings), 0);
    }

    void send(std::string_view bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    // Everything that arrives until `count` CRs were seen or the time is up.
    std::string receive(int count = 1, int timeoutMs = 1000) {
        std::string in;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::count(in.begin(), in.end(), '\r') < count && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{fd_, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0 || (fd.revents & POLLIN) == 0) continue;
            char buffer[600];
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) in.append(buffer, static_cast<size_t>(n));
        }
        return in;
    }

private:
    int fd_;
};

// The detector understands frames only at 115200 baud; at the resting rate they are line noise.
TEST(Simulator, FramesAtAnotherRateAreIgnored) {
    Simulator sim;
    HostPort host(sim.portPath());
    host.setRate(B9600);
    host.send("AC7B\r");
    EXPECT_EQ(host.receive(1, 150), "");
    EXPECT_TRUE(sim.requests().empty());
    host.setRate(B115200);
    host.send("AC7B\r");
    EXPECT_EQ(host.receive(), "ac3B\r");
}

// An echoed, paced, delayed long reply still arrives whole, behind its request (the hello is 38
// bytes, the state record 185).
TEST(Simulator, PacedAndDelayedRepliesArriveWhole) {
    Simulator sim(LineOptions{.echo = true, .replyDelayMs = 5, .paceAtBaud = true});
    HostPort host(sim.portPath());
    host.send("HB7\rAI75\r");
    std::string in = host.receive(4, 3000);
    ASSERT_EQ(in.size(), 4u + 38 + 5 + 185);
    EXPECT_EQ(in.substr(0, 5), "HB7\rh");
    EXPECT_EQ(in.substr(42, 7), "AI75\rai");
}

// Across a re-open of the port, requests split at CR: one frame in two writes, then a second frame.
TEST(Simulator, RequestsSplitAtCrAcrossAReopen) {
    Simulator sim;
    { HostPort first(sim.portPath()); }
    HostPort host(sim.portPath());
    host.send("AD");
    host.send("7A\rAC7B\r");
    EXPECT_EQ(host.receive(2), "ad3A\rac3B\r");
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"AD7A", "AC7B"}));
}

struct FaultCase {
    const char* name;
    Faults faults;
    const char* firstReply;
    const char* secondReply;
};

class SimulatorFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatorFaults, FirstTwoConnects) {
    Simulator sim;
    sim.setFaults(GetParam().faults);
    HostPort host(sim.portPath());
    host.send("AC7B\r");
    EXPECT_EQ(host.receive(1, 150), GetParam().firstReply);
    host.send("AC7B\r");
    EXPECT_EQ(host.receive(1, 150), GetParam().secondReply);
}

INSTANTIATE_TEST_SUITE_P(
    Knobs, SimulatorFaults,
    ::testing::Values(
        FaultCase{"silence", Faults{.fault = Fault::Silence}, "", "ac3B\r"},
        FaultCase{"silentForever", Faults{.silentForever = true}, "", ""},
        FaultCase{"truncated", Faults{.fault = Fault::Truncated}, "ac", "ac3B\r"},
        FaultCase{"garbage", Faults{.fault = Fault::Garbage},
                  "~\x7F\xA5"
                  "ac3B\r",
                  "ac3B\r"},
        FaultCase{"standardError", Faults{.standardErrorFor = "AC", .standardErrorCode = 13}, "?aq0D\r", "?aq0D\r"},
        FaultCase{"rawReply", Faults{.rawReplyFor = "AC", .rawReply = "xyz\r"}, "xyz\r", "xyz\r"},
        FaultCase{"silentFor", Faults{.silentFor = "AC"}, "", ""},
        FaultCase{"faultAtSecond", Faults{.fault = Fault::BadChecksum, .faultAt = 1}, "ac3B\r", "ac30\r"},
        FaultCase{"faultForTwo", Faults{.fault = Fault::StandardError, .faultCount = 2}, "?aq01\r", "?aq01\r"},
        FaultCase{"shortMemoryReplyOnlyForReadMemory", Faults{.fault = Fault::ShortMemoryReply, .faultCount = 2},
                  "ac3B\r", "ac3B\r"},
        FaultCase{"hangUp", Faults{.fault = Fault::HangUp, .faultAt = 1}, "ac3B\r", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvik::sim
