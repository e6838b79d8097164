// The tool's serial link over termios: raw 8N1 without flow control, VMIN = VTIME = 0 and poll()
// on a deadline; exclusive use (an advisory lock and TIOCEXCL), as the library's own link.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "SerialLink.hpp"
#include "SerialPorts.hpp"

namespace torvik::cli {

namespace {

using Clock = std::chrono::steady_clock;
using devlib_instr::CommInterface;

speed_t speedFor(uint32_t baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            throw CommInterface::CommError(0);
    }
}

void applySpeed(int fd, uint32_t baud, int when) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) throw CommInterface::CommError(0);
    ::cfsetispeed(&settings, speedFor(baud));
    ::cfsetospeed(&settings, speedFor(baud));
    if (::tcsetattr(fd, when, &settings) != 0) throw CommInterface::CommError(0);
}

// False when the deadline passed; CommError(0) when the port went away.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, left < 0 ? 0 : static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) throw CommInterface::CommError(0);
        if (ready == 0) return false;
        if ((entry.revents & events) != 0) return true;
        throw CommInterface::CommError(0);
    }
}

}  // namespace

struct SerialLink::Port {
    int fd = -1;
};

devlib_instr::AbstractUartInterface* LinkFactory::create(const std::string& portName) {
    openProblem_.clear();
    auto* link = new SerialLink(portName, devlib_instr::line::restingBaudRate, *this);
    link_ = link;
    return link;
}

SerialLink::SerialLink(std::string portName, uint32_t baudRate, LinkFactory& factory)
    : AbstractUartInterface(std::move(portName), baudRate), port_(std::make_unique<Port>()), factory_(factory) {
    open();
}

SerialLink::~SerialLink() {
    close();
    if (factory_.link_ == this) factory_.link_ = nullptr;
}

bool SerialLink::doOpen() {
    port_->fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port_->fd < 0) {
        factory_.openProblem_ = openProblemText(errno);
        return false;
    }
    errno = 0;
    try {
        if (::flock(port_->fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(port_->fd, TIOCEXCL) != 0) throw CommError(0);
        configure();
        return true;
    } catch (const CommError&) {
        factory_.openProblem_ = openProblemText(errno != 0 ? errno : EINVAL);
    }
    ::close(port_->fd);
    port_->fd = -1;
    return false;
}

bool SerialLink::doClose() {
    int fd = port_->fd;
    port_->fd = -1;
    if (fd < 0) return false;
    ::ioctl(fd, TIOCNXCL);  // exclusive mode can outlive the descriptor on a pty
    return ::close(fd) == 0;
}

void SerialLink::configure() {
    termios settings{};
    if (::tcgetattr(port_->fd, &settings) != 0) throw CommError(0);
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    settings.c_cflag |= CS8;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::tcsetattr(port_->fd, TCSANOW, &settings) != 0) throw CommError(0);
    applySpeed(port_->fd, baudRate, TCSANOW);
}

void SerialLink::setBaudRate(uint32_t baud) {
    applySpeed(port_->fd, baud, TCSADRAIN);
}

uint32_t SerialLink::writeBytes(const uint8_t* data, uint32_t size) {
    if (port_->fd < 0) throw CommError(0);
    auto deadline = Clock::now() + std::chrono::milliseconds(1000 + 10 * static_cast<int64_t>(size));
    uint32_t written = 0;
    while (written < size) {
        ssize_t n = ::write(port_->fd, data + written, size - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno != EINTR && errno != EAGAIN) throw CommError(0);
        if (n < 0 && errno == EAGAIN && !waitFor(port_->fd, POLLOUT, deadline)) break;
    }
    return written;
}

bool SerialLink::writeByte(uint8_t value) {
    return writeBytes(&value, 1) == 1;
}

uint32_t SerialLink::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    if (port_->fd < 0) throw CommError(0);
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs == 0 ? 1 : timeoutMs);
    uint32_t got = 0;
    while (got < size && waitFor(port_->fd, POLLIN, deadline)) {
        ssize_t n = ::read(port_->fd, buffer + got, size - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            throw CommError(0);  // end of file or EIO: the port went away
        }
    }
    if (size > 0) factory_.heardNothing_ = got == 0;
    return got;
}

}  // namespace torvik::cli
