// The serial link over the Win32 communications API: synchronous (non-overlapped) I/O on the
// port opened for exclusive use, read time-outs through COMMTIMEOUTS.
#include <windows.h>

#include <string>

#include "comm/UartInterface.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {
namespace {

constexpr char devicePrefix[] = "\\\\.\\";  // the four characters \\.\ of a device path

// Write time-outs of every open port: 10 ms per byte plus one second for the whole write.
constexpr DWORD writeTimeoutPerByteMs = 10;
constexpr DWORD writeTimeoutConstantMs = 1000;

HANDLE asHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

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

}  // namespace

UartInterface::UartInterface(std::string portName, uint32_t baudRate, uint8_t, uint8_t, uint8_t)
    : AbstractUartInterface(std::move(portName), baudRate), handle_(INVALID_HANDLE_VALUE) {
    open();
}

UartInterface::~UartInterface() {
    close();
}

bool UartInterface::doOpen() {
    std::string path = devicePath(portName);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    handle_ = handle;
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
    handle_ = INVALID_HANDLE_VALUE;
    return false;
}

bool UartInterface::doClose() {
    HANDLE handle = asHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) == 1;
}

void UartInterface::configure() {
    HANDLE handle = asHandle(handle_);
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = writeTimeoutPerByteMs;
    timeouts.WriteTotalTimeoutConstant = writeTimeoutConstantMs;
    if (!SetCommTimeouts(handle, &timeouts)) throw CommError(0);
    readTimeoutMs_ = 0;

    // Only the line settings change; flow control and special characters stay as the driver has them.
    DCB state = currentState(handle);
    state.BaudRate = baudRate;
    state.ByteSize = byteSize;
    state.Parity = parity;
    state.StopBits = stopBits;
    applyState(handle, state);
}

void UartInterface::setBaudRate(uint32_t baud) {
    HANDLE handle = asHandle(handle_);
    DCB state = currentState(handle);
    state.BaudRate = baud;
    applyState(handle, state);
}

uint32_t UartInterface::writeBytes(const uint8_t* data, uint32_t size) {
    HANDLE handle = asHandle(handle_);
    if (!isUsable(handle)) throw CommError(0);
    DWORD written = 0;
    if (!WriteFile(handle, data, size, &written, nullptr)) throw CommError(0);
    return written;
}

bool UartInterface::writeByte(uint8_t value) {
    return writeBytes(&value, 1) == 1;
}

void UartInterface::applyReadTimeout(uint32_t timeoutMs) {
    // The port's own read interval serves as the cache: reads with the time-out already in force
    // leave the settings alone.
    HANDLE handle = asHandle(handle_);
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(handle, &timeouts)) throw CommError(0);
    if (timeouts.ReadIntervalTimeout == timeoutMs) return;
    timeouts.ReadIntervalTimeout = timeoutMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = timeoutMs;
    if (!SetCommTimeouts(handle, &timeouts)) throw CommError(0);
    readTimeoutMs_ = timeoutMs;
    ++readTimeoutUpdates_;
}

uint32_t UartInterface::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    HANDLE handle = asHandle(handle_);
    if (!isUsable(handle)) throw CommError(0);
    if (timeoutMs == 0) timeoutMs = 1;
    applyReadTimeout(timeoutMs);
    DWORD read = 0;
    if (!ReadFile(handle, buffer, size, &read, nullptr)) throw CommError(0);
    return read;
}

}  // namespace devlib_instr
