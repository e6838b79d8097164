// The simulator's line side: a pty in raw mode whose master end this thread serves. Requests are
// collected up to their CR, answered by the DetectorModel under the lock, and the reply (with the
// echo, delay, pacing and faults that the knobs ask for) is written without holding the lock.
// Like the detector, it understands frames only at the exchange rate: bytes that arrive while the
// host has the line at another rate are garbled on a real line, and the frame they belong to is
// ignored. Both ends of a pty share one set of line settings, so the rate is the host's.
#include "sim/Simulator.hpp"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

#include "sim/FrameCodec.hpp"

namespace torvik::sim {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kGarbage = "~\x7F\xA5";  // line noise before a reply, never a CR
constexpr uint32_t kExchangeBaud = 115200;
constexpr std::string_view kReadMemoryCode = "AR";

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

uint32_t baudOf(speed_t speed) {
    switch (speed) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        default:
            return 9600;
    }
}

// The bytes to send for one request, decided under the lock.
struct Plan {
    LineReply line;
    bool pace = false;
};

// A ReadMemory reply ("ar" + address, length and data) with half of its data, its length field to
// match, so that the reply itself is well formed and only carries fewer bytes than were asked.
std::string shortenedMemoryReply(const std::string& reply) {
    constexpr size_t kCodeSize = 2;
    constexpr size_t kHeaderSize = 6;  // address (4) and length (2), little-endian
    auto body = reply.empty() ? std::nullopt : checkedBody(std::string_view(reply).substr(0, reply.size() - 1));
    auto bytes = body ? fromHex(body->substr(kCodeSize)) : std::nullopt;
    if (!bytes || bytes->size() <= kHeaderSize) return reply;
    const size_t kept = (bytes->size() - kHeaderSize) / 2;
    bytes->resize(kHeaderSize + kept);
    (*bytes)[4] = static_cast<uint8_t>(kept);
    (*bytes)[5] = static_cast<uint8_t>(kept >> 8);
    return encodeFrame(body->substr(0, kCodeSize), toHex(*bytes));
}

}  // namespace

struct Simulator::Impl {
    mutable std::mutex mutex;
    LineOptions line;
    Faults faults;
    DetectorModel model;
    std::vector<std::string> requests;
    uint32_t requestsSinceFaults = 0;
    // The line rate last seen while the line settles, and when it changed.
    uint32_t watchedRate = 0;
    std::chrono::steady_clock::time_point rateChanged{};
    Responder* responder = nullptr;  // answers in place of the model when set

    int master = -1;
    int slave = -1;  // held open so the master never sees a hang-up while the host's port is closed
    int wake[2] = {-1, -1};
    std::string slavePath;
    std::string linkPath;
    bool linkMade = false;
    std::thread thread;
    std::atomic<bool> stopped{false};

    ~Impl() { closeAll(); }

    void start(std::string link);
    void openPty();
    void publishLink();
    void closeAll();
    void serve();
    uint32_t lineRate() const;
    bool handle(const std::string& frame);
    Plan plan(const std::string& frame);
    Fault numberedFault(uint32_t requestIndex, std::string_view code) const;
    void applyReplyFaults(std::string& reply, const std::string& code, Fault fault) const;
    void hangUp();
    bool pause(std::chrono::microseconds duration);
    bool send(std::string_view bytes, bool pace);
};

void Simulator::Impl::openPty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) fail("posix_openpt");
    if (::fcntl(master, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(master, F_SETFL, O_NONBLOCK) != 0) fail("fcntl");
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) fail("grantpt/unlockpt");
    const char* name = ::ptsname(master);
    if (name == nullptr) fail("ptsname");
    slavePath = name;
    // Raw before anyone can open the port: no echo by the line discipline, no CR translation.
    termios settings{};
    if (::tcgetattr(master, &settings) != 0) fail("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(master, TCSANOW, &settings) != 0) fail("tcsetattr");
    slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) fail("open slave");
    if (::pipe2(wake, O_CLOEXEC) != 0) fail("pipe2");
}

// Like `ln -s`: an existing file, link or device node at the path is refused, never replaced.
void Simulator::Impl::publishLink() {
    if (linkPath.empty()) return;
    if (::symlink(slavePath.c_str(), linkPath.c_str()) != 0) {
        const int error = errno;
        std::string path = std::exchange(linkPath, {});
        throw std::runtime_error("cannot publish the port as " + path + ": " +
                                 (error == EEXIST ? std::string("it exists already (the simulator replaces nothing)")
                                                  : std::generic_category().message(error)));
    }
    linkMade = true;
}

void Simulator::Impl::closeAll() {
    for (int* fd : {&master, &slave, &wake[0], &wake[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    // Only the link made here goes, and only while it still points to this simulator's port.
    std::error_code ignored;
    if (linkMade && std::filesystem::read_symlink(linkPath, ignored) == slavePath) ::unlink(linkPath.c_str());
    linkMade = false;
    linkPath.clear();
}

void Simulator::Impl::serve() {
    std::string pending;
    bool garbled = false;  // part of the pending frame came at another rate than the exchange rate
    char buffer[512];
    // When the line settles, its rate is watched while idle, so that the time of a change is known
    // when bytes come; a change first seen with the bytes happened just before them.
    auto settling = [&] {
        const uint32_t rate = lineRate();
        std::lock_guard lock(mutex);
        if (rate != watchedRate) rateChanged = std::chrono::steady_clock::now();
        watchedRate = rate;
        return std::chrono::steady_clock::now() - rateChanged < std::chrono::milliseconds(line.settleMs);
    };
    while (!stopped) {
        pollfd fds[2] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}};
        const bool watchRate = [&] {
            std::lock_guard lock(mutex);
            return line.settleMs > 0;
        }();
        // Idle, the loop looks every 10 ms whether it should watch the rate (a test may ask it to).
        int ready = ::poll(fds, 2, watchRate ? 1 : 10);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || fds[1].revents != 0) return;
        if (ready == 0) {
            if (watchRate) settling();
            continue;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            // A hang-up cannot happen while the slave is held; do not spin if it does.
            if (!pause(std::chrono::milliseconds(10))) return;
            continue;
        }
        ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) continue;
        const bool atExchangeRate = responder != nullptr || (!settling() && lineRate() == kExchangeBaud);
        pending.append(buffer, static_cast<size_t>(n));
        garbled = garbled || !atExchangeRate;
        for (size_t end; (end = pending.find(kFrameEnd)) != std::string::npos;) {
            std::string frame = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!garbled && !handle(frame)) return;
            garbled = !atExchangeRate && !pending.empty();  // the rest came with these bytes
        }
    }
}

// The rate the host set (9600 when the settings cannot be read).
uint32_t Simulator::Impl::lineRate() const {
    termios settings{};
    if (::tcgetattr(master, &settings) != 0) return 9600;
    return baudOf(::cfgetospeed(&settings));
}

// False once the line is gone: the simulator serves no more.
bool Simulator::Impl::handle(const std::string& frame) {
    const auto arrived = Clock::now();
    Plan p = responder != nullptr ? Plan{responder->respond(frame, lineRate())} : plan(frame);
    for (const LineReply::Part& part : p.line.parts) {
        if (part.bytes.empty()) continue;
        if (!pause(std::chrono::duration_cast<std::chrono::microseconds>(arrived + part.after - Clock::now()))) {
            return true;
        }
        if (!send(part.bytes, p.pace)) return true;
    }
    if (!p.line.hangUp) return true;
    hangUp();
    return false;
}

// Closing the master is the hang-up an open host port sees (EIO, POLLHUP). Only the serving thread
// uses the master until stop() has joined it, so it may close it here.
void Simulator::Impl::hangUp() {
    stopped = true;
    ::close(master);
    master = -1;
}

Plan Simulator::Impl::plan(const std::string& frame) {
    std::lock_guard lock(mutex);
    requests.push_back(frame);
    Plan p;
    p.pace = line.paceAtBaud;
    std::string code = DetectorModel::commandCode(frame);
    const uint32_t requestIndex = requestsSinceFaults++;
    const Fault fault = numberedFault(requestIndex, code);
    if (fault == Fault::HangUp) {
        p.line.hangUp = true;
        return p;
    }
    if (line.echo) p.line.parts.push_back({{}, frame + kFrameEnd});
    // A request the device never heard changes nothing on it.
    if (fault == Fault::Silence || faults.silentForever || code == faults.silentFor) return p;

    std::string reply;
    if (fault == Fault::StandardError || (!faults.standardErrorFor.empty() && code == faults.standardErrorFor)) {
        reply = standardErrorReply(faults.standardErrorCode);
    } else if (!faults.rawReplyFor.empty() && code == faults.rawReplyFor) {
        reply = faults.rawReply;
    } else {
        reply = model.answer(frame).reply;
    }
    applyReplyFaults(reply, code, fault);
    p.line.parts.push_back({std::chrono::milliseconds(line.replyDelayMs), std::move(reply)});
    return p;
}

Fault Simulator::Impl::numberedFault(uint32_t requestIndex, std::string_view code) const {
    if (auto it = faults.faultsAt.find(requestIndex); it != faults.faultsAt.end()) return it->second;
    if (requestIndex < faults.faultAt || requestIndex - faults.faultAt >= faults.faultCount) return Fault::None;
    if (faults.fault == Fault::ShortMemoryReply && code != kReadMemoryCode) return Fault::None;
    return faults.fault;
}

void Simulator::Impl::applyReplyFaults(std::string& reply, const std::string& code, Fault fault) const {
    if (fault == Fault::ShortMemoryReply) reply = shortenedMemoryReply(reply);
    bool frameReply = reply.size() >= 3 && reply.back() == kFrameEnd && reply.rfind("?aq", 0) != 0;
    bool corruptCode =
        fault == Fault::BadChecksum || (!faults.corruptChecksumFor.empty() && code == faults.corruptChecksumFor);
    if (frameReply && corruptCode) {
        char& digit = reply[reply.size() - 2];
        digit = digit == '0' ? '1' : '0';
    }
    if (frameReply && fault == Fault::Truncated) reply.resize(reply.size() - 3);
    if (fault == Fault::Garbage) reply.insert(0, kGarbage);
}

// Sleeps, but wakes at once when the simulator stops; false then.
bool Simulator::Impl::pause(std::chrono::microseconds duration) {
    if (duration.count() <= 0) return !stopped;
    pollfd fd{wake[0], POLLIN, 0};
    int ms = static_cast<int>((duration.count() + 999) / 1000);
    int ready = ::poll(&fd, 1, ms);
    return (ready == 0 || (ready < 0 && errno == EINTR)) && !stopped;
}

// Writes the bytes, paced at 10 bits per byte of the baud rate the host set when asked to. The
// pace runs against one start time, so rounding the sleeps to milliseconds adds no drift.
bool Simulator::Impl::send(std::string_view bytes, bool pace) {
    constexpr size_t kPacedChunk = 32;
    const uint32_t baud = pace ? lineRate() : 9600;
    const auto start = Clock::now();
    size_t sent = 0;
    while (sent < bytes.size()) {
        size_t chunk = pace ? std::min(bytes.size() - sent, kPacedChunk) : bytes.size() - sent;
        if (pace) {
            auto due = start + std::chrono::microseconds((sent + chunk) * 10 * 1000000 / baud);
            if (!pause(std::chrono::duration_cast<std::chrono::microseconds>(due - Clock::now()))) return false;
        }
        ssize_t n = ::write(master, bytes.data() + sent, chunk);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd fds[2] = {{master, POLLOUT, 0}, {wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
        if (fds[1].revents != 0) return false;
    }
    return true;
}

void Simulator::Impl::start(std::string link) {
    openPty();
    linkPath = std::move(link);
    publishLink();
    thread = std::thread([this] { serve(); });
}

Simulator::Simulator(LineOptions line, std::string linkPath) : impl_(std::make_unique<Impl>()) {
    impl_->line = line;
    impl_->start(std::move(linkPath));
}

Simulator::Simulator(Responder& responder, std::string linkPath) : impl_(std::make_unique<Impl>()) {
    impl_->responder = &responder;
    impl_->start(std::move(linkPath));
}

Simulator::~Simulator() {
    stop();
}

const std::string& Simulator::portPath() const {
    return impl_->linkPath.empty() ? impl_->slavePath : impl_->linkPath;
}

void Simulator::setLineOptions(const LineOptions& line) {
    const uint32_t rate = impl_->lineRate();
    std::lock_guard lock(impl_->mutex);
    impl_->line = line;
    impl_->watchedRate = rate;  // the rate now has settled
}

void Simulator::setFaults(const Faults& faults) {
    std::lock_guard lock(impl_->mutex);
    impl_->faults = faults;
    impl_->requestsSinceFaults = 0;
}

void Simulator::withModel(const std::function<void(DetectorModel&)>& fn) {
    std::lock_guard lock(impl_->mutex);
    fn(impl_->model);
}

std::vector<std::string> Simulator::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void Simulator::clearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

void Simulator::stop() {
    if (!impl_->thread.joinable()) return;
    impl_->stopped = true;
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(impl_->wake[1], &byte, 1);
    impl_->thread.join();
    // Closing the master is the hang-up an open host port sees; the link goes with it.
    if (impl_->master >= 0) ::close(impl_->master);
    impl_->master = -1;
}

}  // namespace torvik::sim
