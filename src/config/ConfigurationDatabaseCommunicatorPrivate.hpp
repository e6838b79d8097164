// The database communicator on a device: hello, section reads of at most 256 bytes per request,
// value extraction, and the write sequence (read, apply and check everything first; then switch
// off, connect, write the sections that change, disconnect, switch on again).
#pragma once

#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

#include "config/ConfigurationDatabaseCommunicatorInterface.hpp"
#include "config/DatabaseLayout.hpp"
#include "config/KeyTable.hpp"
#include "config/SectionCache.hpp"
#include "core/LogLevel.hpp"
#include "device/Device.hpp"

namespace devlib_instr {

class ConfigurationDatabaseCommunicatorPrivate : public ConfigurationDatabaseCommunicatorInterface {
public:
    explicit ConfigurationDatabaseCommunicatorPrivate(DeviceGuard device);

    bool readValues(const ConfigurationRequest& request, ConfigurationData& result) override;
    // A failure after the start is logged once ("An error occurred while writing the database: ...")
    // and raised as the library's Error carrying the cause (a serial-link CommError passes as it is):
    // a write that stopped never reports success. Nothing is rolled back.
    bool writeValues(const ConfigurationData& values) override;
    // Also forgets how the last write ended.
    void clear() override;
    const ChannelMap& channelMap() const override { return channelMap_; }
    // True when the last write switched the device off and stopped before switching it on again.
    bool leftSwitchedOff() const { return leftSwitchedOff_; }
    // True when the last write sent Connect and stopped before the device confirmed Disconnect.
    bool leftConnected() const { return leftConnected_; }

    bool sayHello();
    // Reads `length` bytes into out[0 .. length) with requests of at most 256 bytes; a reply that
    // does not carry exactly the bytes asked for is "Response data size is invalid".
    void readMemory(uint32_t address, uint8_t* out, uint32_t length);
    void writeMemoryBlock(uint32_t address, const uint8_t* data, uint32_t length);

private:
    using SectionSet = std::set<SectionInfo>;

    void log(LogLevel level, std::u16string_view text) const;
    void checkDevice() const;
    void readSection(uint32_t address, uint32_t length);
    void collectSections(const ConfigurationRequest& request);
    void readSections(const SectionSet& sections, bool bulkRead);
    void extractValue(const Location& location, ConfigurationKey key, uint8_t channel, ConfigurationData& result);
    void runWriteSequence(const ConfigurationData& values);
    // Reads, applies and checks; the sections whose bytes change, sealed and ready to write.
    SectionSet prepareSections(const ConfigurationData& values);
    void applyValues(const ConfigurationData& values);
    void writeSections(const SectionSet& sections);

    DeviceGuard device_;
    ChannelMap channelMap_;
    SectionSet sections_;
    SectionCache cache_;
    bool leftSwitchedOff_ = false;
    bool leftConnected_ = false;
};

}  // namespace devlib_instr
