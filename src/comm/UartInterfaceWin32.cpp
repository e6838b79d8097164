// The serial link over the Win32 communications API: synchronous (non-overlapped) I/O on the
// port opened for exclusive use.
// Reads go through a small read-ahead buffer: one ReadFile takes every byte the driver holds
// (ClearCommError tells how many), and the byte-sized reads of the message handler are served from
// the buffer. Only when the driver holds nothing does a ReadFile wait, for one byte, with the rest
// of the call's time-out as its total read time-out. A read therefore returns what arrived before
// its deadline, as a ReadFile with that time-out would, at the cost of a few Win32 calls per burst
// of bytes instead of one per byte.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>

#include "comm/UartInterface.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char devicePrefix[] = "\\\\.\\";  // the four characters \\.\ of a device path

// Write time-outs of every open port: 10 ms per byte plus one second for the whole write.
constexpr DWORD writeTimeoutPerByteMs = 10;
constexpr DWORD writeTimeoutConstantMs = 1000;

// Room for a whole reply of the detector (a 256-byte datalog page is 512 hexadecimal digits).
constexpr DWORD readAheadSize = 1024;

bool isUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

std::string devicePath(const std::string& portName) {
    if (portName.find(devicePrefix) != std::string::npos) return portName;
    return devicePrefix + portName;
}

void reportOpenFailure(const std::string& portName, const std::string& reason) {
    std::string text = msg::connectingToPortFailed + portName + " : " + reason;
    OutputDebugStringA(text.c_str());
}

DCB currentState(HANDLE handle) {
    DCB state{};
    state.DCBlength = sizeof(DCB);
    if (!GetCommState(handle, &state)) throw CommInterface::CommError(0);
    return state;
}

void applyState(HANDLE handle, DCB& state) {
    if (!SetCommState(handle, &state)) throw CommInterface::CommError(0);
}

// The write time-outs above with a total read time-out of `readTimeoutMs` (0: none).
void applyTimeouts(HANDLE handle, DWORD readTimeoutMs) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = readTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = writeTimeoutPerByteMs;
    timeouts.WriteTotalTimeoutConstant = writeTimeoutConstantMs;
    if (!SetCommTimeouts(handle, &timeouts)) throw CommInterface::CommError(0);
}

// The bytes the driver has received and not yet handed out.
DWORD bytesWaiting(HANDLE handle) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle, &errors, &status)) throw CommInterface::CommError(0);
    return status.cbInQue;
}

// Whole milliseconds until the deadline, rounded up; 0 once it has passed.
DWORD millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

}  // namespace

struct UartInterface::Port {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD readTimeoutMs = 0;  // the total read time-out in force on the port
    std::array<uint8_t, readAheadSize> readAhead{};
    DWORD next = 0;  // the first byte of readAhead not yet handed out
    DWORD end = 0;   // one past the last byte read into readAhead

    // Hands out up to `size` bytes of the read-ahead buffer; returns how many.
    uint32_t take(uint8_t* buffer, uint32_t size) {
        const uint32_t count = std::min<uint32_t>(size, end - next);
        std::copy_n(readAhead.data() + next, count, buffer);
        next += count;
        return count;
    }

    // Refills the empty read-ahead buffer with what the driver holds or, when it holds nothing,
    // with the first byte that arrives before the deadline. False when nothing arrived in time.
    bool fill(Clock::time_point deadline) {
        DWORD wanted = std::min(bytesWaiting(handle), readAheadSize);
        if (wanted == 0) {
            const DWORD left = millisecondsUntil(deadline);
            if (left == 0) return false;
            setReadTimeout(left);
            wanted = 1;
        }
        DWORD read = 0;
        if (!ReadFile(handle, readAhead.data(), wanted, &read, nullptr)) throw CommError(0);
        next = 0;
        end = read;
        return read > 0;
    }

    void setReadTimeout(DWORD timeoutMs) {
        if (timeoutMs == readTimeoutMs) return;
        applyTimeouts(handle, timeoutMs);
        readTimeoutMs = timeoutMs;
    }
};

UartInterface::UartInterface(std::string portName, uint32_t baudRate, uint8_t, uint8_t, uint8_t)
    : AbstractUartInterface(std::move(portName), baudRate), port_(std::make_unique<Port>()) {
    open();
}

UartInterface::~UartInterface() {
    close();
}

bool UartInterface::doOpen() {
    std::string path = devicePath(portName);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    port_->handle = handle;
    if (isUsable(handle)) {
        try {
            configure();
            return true;
        } catch (const CommError& e) {
            reportOpenFailure(portName, e.what());
        } catch (...) {
            reportOpenFailure(portName, std::to_string(GetLastError()));
        }
        // Only a handle that was actually opened is closed: an invalid one has nothing to release.
        CloseHandle(handle);
    }
    port_->handle = INVALID_HANDLE_VALUE;
    return false;
}

bool UartInterface::doClose() {
    HANDLE handle = port_->handle;
    *port_ = Port{};
    return CloseHandle(handle) == 1;
}

void UartInterface::configure() {
    HANDLE handle = port_->handle;
    applyTimeouts(handle, 0);
    port_->readTimeoutMs = 0;

    // Only the line settings change; flow control and special characters stay as the driver has them.
    DCB state = currentState(handle);
    state.BaudRate = baudRate;
    state.ByteSize = byteSize;
    state.Parity = parity;
    state.StopBits = stopBits;
    applyState(handle, state);
}

void UartInterface::setBaudRate(uint32_t baud) {
    HANDLE handle = port_->handle;
    DCB state = currentState(handle);
    state.BaudRate = baud;
    applyState(handle, state);
}

uint32_t UartInterface::writeBytes(const uint8_t* data, uint32_t size) {
    HANDLE handle = port_->handle;
    if (!isUsable(handle)) throw CommError(0);
    DWORD written = 0;
    if (!WriteFile(handle, data, size, &written, nullptr)) throw CommError(0);
    return written;
}

bool UartInterface::writeByte(uint8_t value) {
    return writeBytes(&value, 1) == 1;
}

uint32_t UartInterface::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    Port& port = *port_;
    if (!isUsable(port.handle)) throw CommError(0);
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max<uint32_t>(timeoutMs, 1));
    uint32_t got = port.take(buffer, size);
    while (got < size && port.fill(deadline)) got += port.take(buffer + got, size - got);
    return got;
}

}  // namespace devlib_instr
