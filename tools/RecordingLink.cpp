#include "RecordingLink.hpp"

namespace torvik::cli {

using devlib_instr::AbstractUartInterface;
using devlib_instr::CommInterface;

RecordingLink::RecordingLink(std::unique_ptr<AbstractUartInterface> inner, RecordingFactory& factory)
    : AbstractUartInterface(inner->portName, inner->baudRate),
      inner_(std::move(inner)),
      factory_(factory),
      trace_(factory.trace_) {
    open();
    trace_.open(portName, baudRate);
}

RecordingLink::~RecordingLink() {
    close();
    if (factory_.link_ == this) factory_.link_ = nullptr;
}

// The wrapped link opened before it was handed over; closing closes it.
bool RecordingLink::doOpen() {
    return inner_->isOpen();
}

bool RecordingLink::doClose() {
    inner_->close();
    trace_.close();
    return true;
}

void RecordingLink::configure() {
    inner_->configure();
}

// The message handler sets baudRate before the call; the wrapped link gets the same order.
void RecordingLink::setBaudRate(uint32_t baud) {
    inner_->baudRate = baud;
    try {
        inner_->setBaudRate(baud);
    } catch (const CommError& error) {
        trace_.error("rate", error.code);
        throw;
    }
    trace_.rate(baud);
}

uint32_t RecordingLink::writeBytes(const uint8_t* data, uint32_t size) {
    try {
        inner_->write(data, size);
    } catch (const CommError& error) {
        trace_.error("write", error.code);
        throw;
    }
    trace_.write(data, size);
    return size;
}

bool RecordingLink::writeByte(uint8_t value) {
    return writeBytes(&value, 1) == 1;
}

uint32_t RecordingLink::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    uint32_t got = 0;
    try {
        got = inner_->read(buffer, size, timeoutMs);
    } catch (const CommError& error) {
        trace_.error("read", error.code);
        throw;
    }
    trace_.read(size, timeoutMs, buffer, got);
    return got;
}

RecordingFactory::RecordingFactory(devlib_instr::AbstractUartInterfaceFactory& links, const std::string& tracePath,
                                   const std::string& recorder)
    : links_(links), trace_(tracePath, recorder) {}

AbstractUartInterface* RecordingFactory::create(const std::string& portName) {
    std::unique_ptr<AbstractUartInterface> inner;
    try {
        inner.reset(links_.create(portName));
    } catch (const CommInterface::CommError& error) {
        trace_.error("open", error.code);
        throw;
    }
    if (!inner) {  // a factory that gives no link for a port that does not open (the tool's on Windows)
        trace_.error("open", 2);
        return nullptr;
    }
    auto* link = new RecordingLink(std::move(inner), *this);
    link_ = link;
    return link;
}

}  // namespace torvik::cli
