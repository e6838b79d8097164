// The serial link over termios: raw 8N1, no flow control, VMIN = VTIME = 0 and poll() on a
// steady-clock deadline. The port is opened for exclusive use (an advisory lock and TIOCEXCL), as
// the Windows link opens it with share mode 0. A port that does not open is PortNotOpened with the
// reason (a port held by another is "in use"). A port that goes away (hang-up, EIO, end of file) is
// CommError(0).
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <fmt/format.h>

#include <chrono>
#include <iterator>
#include <system_error>

#include "comm/UartInterface.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {
namespace {

using Clock = std::chrono::steady_clock;

speed_t speedFor(uint32_t baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
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
        case 230400:
            return B230400;
        default:
            throw CommInterface::CommError(0);
    }
}

// Why the port did not open, as the line the device logs through its context: the usual causes
// named in words a user knows (a missing adapter, the dialout group, another program).
UartInterface::PortNotOpened openFailure(const std::string& portName, int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return UartInterface::PortNotOpened(fmt::format(msg::portMissingFormat, portName));
        case EACCES:
        case EPERM:
            return UartInterface::PortNotOpened(fmt::format(msg::portPermissionDeniedFormat, portName));
        case EBUSY:
        case EWOULDBLOCK:
            return UartInterface::PortNotOpened(fmt::format(msg::portInUseFormat, portName));
        default:
            return UartInterface::PortNotOpened(
                fmt::format(msg::portNotOpenedFormat, portName, std::generic_category().message(error)));
    }
}

// Exclusive use: the advisory lock keeps out every other link of this library, root's included
// (a port locked already is in use), TIOCEXCL keeps other openers out (but not root).
void claimExclusively(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) throw CommInterface::CommError(0);
}

void closeDescriptor(int& fd) {
    ::close(fd);
    fd = -1;
}

int millisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Waits until the port is ready for `events` or the deadline passes; false on time-out.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        int left = millisecondsUntil(deadline);
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) throw CommInterface::CommError(0);
        if (ready == 0) return false;
        if ((entry.revents & events) != 0) return true;
        throw CommInterface::CommError(0);  // POLLHUP, POLLERR or POLLNVAL: the port went away
    }
}

// The termios flags of the line settings the link was given (stop bits and parity coded as the
// Win32 DCB codes them: 0 one stop bit, 2 two; parity 0 none, 1 odd, 2 even, 3 mark, 4 space).
tcflag_t lineFlags(uint8_t dataBits, uint8_t stopBits, uint8_t parity) {
    tcflag_t flags = dataBits == 5 ? CS5 : dataBits == 6 ? CS6 : dataBits == 7 ? CS7 : CS8;
    if (stopBits == 2) flags |= CSTOPB;
    constexpr tcflag_t parityFlags[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD, PARENB | CMSPAR};
    if (parity < std::size(parityFlags)) flags |= parityFlags[parity];
    return flags;
}

}  // namespace

struct UartInterface::Port {
    int fd = -1;
};

UartInterface::UartInterface(std::string portName, uint32_t baudRate, uint8_t, uint8_t, uint8_t)
    : AbstractUartInterface(std::move(portName), baudRate), port_(std::make_unique<Port>()) {
    open();
}

UartInterface::~UartInterface() {
    close();
}

// Every failure is a PortNotOpened with its reason; nothing is written to stdout or stderr.
bool UartInterface::doOpen() {
    port_->fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port_->fd < 0) throw openFailure(portName, errno);  // EBUSY: another opener set exclusive mode
    try {
        errno = 0;
        claimExclusively(port_->fd);
        configure();  // ENOTTY for a file that is no terminal
        return true;
    } catch (const CommError&) {
        const int error = errno != 0 ? errno : EINVAL;  // a rate termios does not offer sets no errno
        closeDescriptor(port_->fd);
        throw openFailure(portName, error);
    }
}

bool UartInterface::doClose() {
    int fd = port_->fd;
    port_->fd = -1;
    if (fd < 0) return false;
    // Exclusive mode outlives the descriptor on some terminals (ptys): give it up so the port can
    // be opened again by a program without root rights.
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd) == 0;
}

void UartInterface::configure() {
    termios settings{};
    if (::tcgetattr(port_->fd, &settings) != 0) throw CommError(0);
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | CSIZE);
    settings.c_cflag |= lineFlags(byteSize, stopBits, parity);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    speed_t speed = speedFor(baudRate);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    if (::tcsetattr(port_->fd, TCSANOW, &settings) != 0) throw CommError(0);
}

void UartInterface::setBaudRate(uint32_t baud) {
    termios settings{};
    if (::tcgetattr(port_->fd, &settings) != 0) throw CommError(0);
    speed_t speed = speedFor(baud);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    if (::tcsetattr(port_->fd, TCSADRAIN, &settings) != 0) throw CommError(0);
}

uint32_t UartInterface::writeBytes(const uint8_t* data, uint32_t size) {
    if (port_->fd < 0) throw CommError(0);
    // As on Windows: 10 ms per byte plus one second for the whole write.
    auto deadline = Clock::now() + std::chrono::milliseconds(1000 + 10 * static_cast<int64_t>(size));
    uint32_t written = 0;
    while (written < size) {
        ssize_t n = ::write(port_->fd, data + written, size - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) throw CommError(0);
        if (!waitFor(port_->fd, POLLOUT, deadline)) break;
    }
    return written;
}

bool UartInterface::writeByte(uint8_t value) {
    return writeBytes(&value, 1) == 1;
}

uint32_t UartInterface::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    if (port_->fd < 0) throw CommError(0);
    if (timeoutMs == 0) timeoutMs = 1;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint32_t got = 0;
    while (got < size) {
        if (!waitFor(port_->fd, POLLIN, deadline)) break;
        ssize_t n = ::read(port_->fd, buffer + got, size - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        throw CommError(0);  // EIO, or end of file after poll said readable: the port went away
    }
    return got;
}

}  // namespace devlib_instr
