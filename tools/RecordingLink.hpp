// Recording the wire: a serial link that passes every call on to the link it wraps and writes what
// happened to a wire trace (WireTrace.hpp), and the factory that wraps the links of another
// factory. Installed through SetUARTInterfaceFactory, it records every frame the library
// exchanges, and every request the tool sends on the open link itself.
#pragma once

#include <memory>
#include <string>

#include "WireTrace.hpp"
#include "torvik/uart_interface.hpp"

namespace torvik::cli {

class RecordingFactory;

class RecordingLink final : public devlib_instr::AbstractUartInterface {
public:
    // Takes over `inner`, which is open; records to the factory's trace.
    RecordingLink(std::unique_ptr<devlib_instr::AbstractUartInterface> inner, RecordingFactory& factory);
    ~RecordingLink() override;
    RecordingLink(const RecordingLink&) = delete;
    RecordingLink& operator=(const RecordingLink&) = delete;

    void configure() override;
    void setBaudRate(uint32_t baud) override;

protected:
    bool doOpen() override;
    bool doClose() override;
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override;
    bool writeByte(uint8_t value) override;
    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override;

private:
    std::unique_ptr<devlib_instr::AbstractUartInterface> inner_;
    RecordingFactory& factory_;
    trace::TraceWriter& trace_;
};

class RecordingFactory final : public devlib_instr::AbstractUartInterfaceFactory {
public:
    // Creates the trace file (TraceError when it cannot); `links` makes the real links and must
    // outlive this factory.
    RecordingFactory(devlib_instr::AbstractUartInterfaceFactory& links, const std::string& tracePath,
                     const std::string& recorder);

    devlib_instr::AbstractUartInterface* create(const std::string& portName) override;

    // The open recording link (owned by the library's device), or null.
    devlib_instr::AbstractUartInterface* link() const { return link_; }

private:
    friend class RecordingLink;
    devlib_instr::AbstractUartInterfaceFactory& links_;
    trace::TraceWriter trace_;
    RecordingLink* link_ = nullptr;
};

}  // namespace torvik::cli
