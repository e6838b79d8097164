// The tool's serial link over the Win32 communications API, as the library's own Windows link:
// synchronous I/O on the port opened for exclusive use, the line settings of the link's fields, and
// reads served from a read-ahead buffer (one ReadFile takes every byte the driver holds; only when
// it holds nothing does a ReadFile wait, for one byte, with the rest of the read's time-out).
//
// torvik.dll and torvik.exe each carry their own C++ runtime (both link it statically), so an
// exception cannot pass from one to the other: what the library calls never throws. A port that
// does not open gives no link (the library reports the open as failed), and a port that fails
// later reads nothing and writes nothing, which the library reports as a detector that did not
// answer or a short write.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>

#include "SerialLink.hpp"
#include "SerialPorts.hpp"

namespace torvik::cli {

namespace {

using Clock = std::chrono::steady_clock;
using devlib_instr::CommInterface;

constexpr char devicePrefix[] = "\\\\.\\";  // \\.\ before a port name reaches COM10 and above
constexpr DWORD writeTimeoutPerByteMs = 10;
constexpr DWORD writeTimeoutConstantMs = 1000;
constexpr DWORD readAheadSize = 1024;  // a whole reply (a 256-byte page is 512 hexadecimal digits)

std::string devicePath(const std::string& portName) {
    return portName.starts_with(devicePrefix) ? portName : devicePrefix + portName;
}

// The write time-outs above with a total read time-out of `readTimeoutMs` (0: none).
void applyTimeouts(HANDLE handle, DWORD readTimeoutMs) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = readTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = writeTimeoutPerByteMs;
    timeouts.WriteTotalTimeoutConstant = writeTimeoutConstantMs;
    if (!SetCommTimeouts(handle, &timeouts)) throw CommInterface::CommError(0);
}

DCB currentState(HANDLE handle) {
    DCB state{};
    state.DCBlength = sizeof(DCB);
    if (!GetCommState(handle, &state)) throw CommInterface::CommError(0);
    return state;
}

DWORD bytesWaiting(HANDLE handle) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle, &errors, &status)) throw CommInterface::CommError(0);
    return status.cbInQue;
}

DWORD millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

}  // namespace

// Throws CommError(0) when a Win32 call on the port fails; the calls the library makes catch it.
struct SerialLink::Port {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD readTimeoutMs = 0;  // the total read time-out in force on the port
    std::array<uint8_t, readAheadSize> readAhead{};
    DWORD next = 0;  // the first byte of readAhead not yet handed out
    DWORD end = 0;   // one past the last byte read into readAhead

    uint32_t take(uint8_t* buffer, uint32_t size) {
        const uint32_t count = std::min<uint32_t>(size, end - next);
        std::copy_n(readAhead.data() + next, count, buffer);
        next += count;
        return count;
    }

    // Refills the empty buffer; false when nothing arrived before the deadline.
    bool fill(Clock::time_point deadline) {
        DWORD wanted = std::min(bytesWaiting(handle), readAheadSize);
        if (wanted == 0) {
            const DWORD left = millisecondsUntil(deadline);
            if (left == 0) return false;
            if (left != readTimeoutMs) applyTimeouts(handle, readTimeoutMs = left);
            wanted = 1;
        }
        DWORD read = 0;
        if (!ReadFile(handle, readAhead.data(), wanted, &read, nullptr)) throw CommError(0);
        next = 0;
        end = read;
        return read > 0;
    }
};

devlib_instr::AbstractUartInterface* LinkFactory::create(const std::string& portName) {
    openProblem_.clear();
    try {
        auto* link = new SerialLink(portName, devlib_instr::line::restingBaudRate, *this);
        link_ = link;
        return link;
    } catch (const CommInterface::CommError&) {
        return nullptr;
    }
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
    const std::string path = devicePath(portName);
    port_->handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_->handle == INVALID_HANDLE_VALUE) {
        factory_.openProblem_ = openProblemText(static_cast<int>(GetLastError()));
        return false;
    }
    try {
        configure();
        return true;
    } catch (const CommError&) {
        factory_.openProblem_ =
            "it does not take the line settings: " + openProblemText(static_cast<int>(GetLastError()));
    }
    CloseHandle(port_->handle);
    port_->handle = INVALID_HANDLE_VALUE;
    return false;
}

bool SerialLink::doClose() {
    HANDLE handle = std::exchange(port_->handle, INVALID_HANDLE_VALUE);
    *port_ = Port{};
    return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0;
}

void SerialLink::configure() {
    applyTimeouts(port_->handle, port_->readTimeoutMs = 0);
    // Only the line settings change; flow control and special characters stay as the driver has them.
    DCB state = currentState(port_->handle);
    state.BaudRate = baudRate;
    state.ByteSize = byteSize;
    state.Parity = parity;
    state.StopBits = stopBits;
    if (!SetCommState(port_->handle, &state)) throw CommError(0);
}

void SerialLink::setBaudRate(uint32_t baud) {
    try {
        DCB state = currentState(port_->handle);
        state.BaudRate = baud;
        if (!SetCommState(port_->handle, &state)) throw CommError(0);
    } catch (const CommError&) {
        // The next exchange on the port fails and says so.
    }
}

uint32_t SerialLink::writeBytes(const uint8_t* data, uint32_t size) {
    DWORD written = 0;
    if (port_->handle == INVALID_HANDLE_VALUE || !WriteFile(port_->handle, data, size, &written, nullptr)) return 0;
    return written;
}

bool SerialLink::writeByte(uint8_t value) {
    return writeBytes(&value, 1) == 1;
}

uint32_t SerialLink::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    Port& port = *port_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max<uint32_t>(timeoutMs, 1));
    uint32_t got = port.take(buffer, size);
    try {
        while (port.handle != INVALID_HANDLE_VALUE && got < size && port.fill(deadline))
            got += port.take(buffer + got, size - got);
    } catch (const CommError&) {
        // A port that went away: what arrived before is handed out, then nothing more.
    }
    if (size > 0) factory_.heardNothing_ = got == 0;
    return got;
}

}  // namespace torvik::cli
