// The GDC datalog read-out behind a GdcDatalogReader handle: a task that greets the device,
// identifies it, reads the chosen datalog sections into an archive, marks the new data as read
// and writes the archive's metadata.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "comm/DatalogMemoryConfiguration.hpp"
#include "comm/Task.hpp"
#include "core/Context.hpp"
#include "core/Error.hpp"
#include "device/DatalogMetaData.hpp"
#include "device/Device.hpp"
#include "device/IntervalSegment.hpp"

namespace devlib_instr {

class FirmwareCmdMessage;
class FirmwareResponseMessage;
class GdcDatalogArchiveWriter;

class GdcDatalogReaderPrivate : public Task {
public:
    explicit GdcDatalogReaderPrivate(ContextGuard context);
    // Cancels a run still going and waits for it before the guards go.
    ~GdcDatalogReaderPrivate() override;

    // Setters are for the host before Start: they take no lock against the run.
    void setDevice(DeviceGuard device) { device_ = std::move(device); }
    void setSectionSelected(int32_t option, bool selected);
    void setOutputPath(std::u16string path) { outputPath_ = std::move(path); }
    void setTexts(std::u16string gatewayName, std::u16string gatewayVersion);

    double progress() const { return progress_.load(std::memory_order_relaxed); }
    std::vector<Error> errors() const;
    bool succeeded();

protected:
    void Prepare() override;
    void Run() override;

private:
    struct SectionRead {
        IntervalSegment* segment = nullptr;
        bool readAll = false;
        std::vector<uint8_t> data;
        uint32_t firstPageOffset = 0;
    };
    using SectionMap = std::map<GdcDatalogSection, SectionRead>;

    void readDatalog();
    void log(LogLevel level, std::u16string_view text) const;
    void abortCheck();
    void exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response);
    void setProgress(double value) { progress_.store(value, std::memory_order_relaxed); }
    void record(Error error);
    void recordLogged(const std::u16string& text);
    // Call only inside a catch block: records the exception in flight as the reader words it.
    void recordCaughtException();

    void triggerMaintenanceMode();
    void sayHello(DatalogMetaData& metaData);
    void readFootprint(DatalogMetaData& metaData);
    void readMemoryConfiguration();
    SectionMap sectionMap() const;
    void readSection(GdcDatalogSection section, SectionRead& entry);
    void moveReadPointers(const SectionMap& sections);

    DeviceGuard device_;
    std::u16string outputPath_;
    std::set<int32_t> selection_;
    DatalogMemoryConfiguration memoryConfiguration_;
    std::u16string gatewayName_;
    std::u16string gatewayVersion_;
    // Written by the worker, polled by the host.
    std::atomic<double> progress_{0.0};
    // Filled by the worker; the lock keeps a host that asks during the run from racing with it.
    mutable std::mutex errorsMutex_;
    std::vector<Error> errors_;
    std::time_t lastMaintenanceTrigger_ = 0;
    // Set by the run once its archive is complete under the output path, and once it has sent the
    // first read pointer move: from then on the archive is never deleted.
    bool archivePublished_ = false;
    bool moveSent_ = false;
};

}  // namespace devlib_instr
