// The host's handle on a GDC datalog read-out; every operation is forwarded to the task behind it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Context.hpp"
#include "core/Error.hpp"
#include "core/Handle.hpp"
#include "device/Device.hpp"

namespace devlib_instr {

class GdcDatalogReaderPrivate;

class GdcDatalogReader : public ExternalRefCountableT<GdcDatalogReader> {
public:
    explicit GdcDatalogReader(ContextGuard context);
    // A run still going is cancelled and waited for first.
    ~GdcDatalogReader() override;

    void setDevice(DeviceGuard device);
    // Options: 0 skip measurement data, 1 skip event data, 2 skip debug data, 3 read everything
    // from the beginning instead of only the new part; other numbers have no effect.
    void setSectionSelected(int32_t option, bool selected);
    void setOutputPath(std::u16string path);
    void setTexts(std::u16string gatewayName, std::u16string gatewayVersion);

    // Checks the settings (Error on failure, nothing started) and starts the run; only the first
    // successful start does anything.
    void start();
    void abort();
    bool isFinished();
    // A negative time-out waits for ever; true when finished.
    bool wait(int64_t timeoutMs);
    double progress() const;
    bool succeeded();
    std::vector<Error> errors() const;

private:
    std::unique_ptr<GdcDatalogReaderPrivate> d_;
};

using GdcDatalogReaderGuard = HandleGuard<GdcDatalogReader>;

}  // namespace devlib_instr
