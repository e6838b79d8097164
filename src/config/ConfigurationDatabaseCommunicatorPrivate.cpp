#include "config/ConfigurationDatabaseCommunicatorPrivate.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>

#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "config/ConfigError.hpp"
#include "config/ValueCodec.hpp"
#include "core/CaughtException.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"
#include "device/DeviceState.hpp"

namespace devlib_instr {

namespace {

// Sections the write takes from the preceding read and never writes (set B also drops the device
// configuration, which the channel map has already read).
bool isSensorRecord(uint32_t address) {
    return isEcSensorRecord(address) || isLargeSensorRecord(address);
}

bool sealVerifies(const SectionInfo& info, const SectionCache::Image& image) {
    return storedChecksum(info, image) == sectionChecksum(info, image);
}

template <class Predicate>
void removeSections(std::set<SectionInfo>& sections, Predicate drop) {
    std::erase_if(sections, [&](const SectionInfo& info) { return drop(info.address); });
}

// A stopped write passes on its cause as the library's Error: the library's own errors as they
// are, the message handler's failures with their text.
constexpr FailureWording writeFailure{.category = ErrorCategory::InstrContainerWriter,
                                      .code = ErrorCode::OperationFailed,
                                      .commErrorPrefix = u"",
                                      .exceptionPrefix = u"",
                                      .unknownText = msg::unknownExceptionWritingConfiguration};

}  // namespace

ConfigurationDatabaseCommunicatorPrivate::ConfigurationDatabaseCommunicatorPrivate(DeviceGuard device)
    : device_(std::move(device)) {}

void ConfigurationDatabaseCommunicatorPrivate::clear() {
    sections_.clear();
    cache_.clear();
    leftSwitchedOff_ = false;
    leftConnected_ = false;
}

void ConfigurationDatabaseCommunicatorPrivate::log(LogLevel level, std::u16string_view text) const {
    if (device_ && device_->context()) device_->context()->log(level, text);
}

void ConfigurationDatabaseCommunicatorPrivate::checkDevice() const {
    if (!device_) throw configError(ErrorCode::InvalidArgument, msg::deviceNotDefined);
    if (!device_->isOpen() || device_->portName().empty())
        throw configError(ErrorCode::NotConnected, msg::deviceNotConnected);
}

bool ConfigurationDatabaseCommunicatorPrivate::sayHello() {
    checkDevice();
    log(LogLevel::Debug, msg::sayingHallo);
    HelloResponse response;
    try {
        device_->exchange(HelloMessage(), response);
    } catch (const FirmwareMessageHandler::FirmwareMessageException&) {
        return false;
    } catch (const Error&) {
        return false;  // a hello reply that does not decode
    }
    log(LogLevel::Debug,
        msg::partNumberPrefix + widen(response.partNumber) + msg::serialNumberInfix + widen(response.serialNumber));
    return true;
}

void ConfigurationDatabaseCommunicatorPrivate::readMemory(uint32_t address, uint8_t* out, uint32_t length) {
    if (length > blockSize && length % blockSize != 0)
        throw configError(ErrorCode::InvalidArgument, msg::readBlockSizeInvalid);
    for (uint32_t offset = 0; offset < length; offset += blockSize) {
        const uint32_t block = std::min(blockSize, length - offset);
        log(LogLevel::Debug, widen(fmt::format(msg::readingBytesFormat, block, address + offset)));
        ReadMemoryResponse response;
        device_->exchange(ReadMemoryRequest(address + offset, static_cast<uint16_t>(block)), response);
        // A shorter reply would leave zeros in the image, which a write would seal and store.
        if (response.data.size() != block) throw configError(ErrorCode::InvalidArgument, msg::responseDataSizeInvalid);
        std::memcpy(out + offset, response.data.data(), block);
    }
}

void ConfigurationDatabaseCommunicatorPrivate::writeMemoryBlock(uint32_t address, const uint8_t* data,
                                                                uint32_t length) {
    log(LogLevel::Debug, widen(fmt::format(msg::writingBytesFormat, length, address)));
    // A block the device refuses, leaves unanswered or acknowledges with status 0 is not written.
    bool written = false;
    try {
        WriteMemoryResponse response;
        device_->exchange(WriteMemoryRequest(address, data, length), response);
        written = response.status != 0;
    } catch (const FirmwareMessageHandler::FirmwareMessageException&) {
    }
    if (!written)
        throw Error(ErrorCategory::InstrContainer, ErrorCode::DatabaseWriteFailed,
                    widen(fmt::format(msg::writingBytesFailedFormat, length, address)));
}

void ConfigurationDatabaseCommunicatorPrivate::readSection(uint32_t address, uint32_t length) {
    log(LogLevel::Debug, widen(fmt::format(msg::readingSectionFormat, length, address)));
    SectionCache::Image& image = cache_.create(address, length);
    readMemory(address, image.data(), length);
    // A whole section is checked against its seal: a mismatch means damage, or a device that seals
    // by another rule, and a write must then not seal that section anew.
    const SectionInfo* info = findSection(address, length);
    if (info == nullptr || info->size != length || sealVerifies(*info, image)) return;
    log(LogLevel::Warn, widen(fmt::format(msg::checksumMismatchFormat, address, storedChecksum(*info, image),
                                          sectionChecksum(*info, image))));
}

// The set holds the sections of this request only; images already cached stay usable.
void ConfigurationDatabaseCommunicatorPrivate::collectSections(const ConfigurationRequest& request) {
    sections_.clear();
    if (!cache_.contains(section::deviceConfiguration))
        readSection(section::deviceConfiguration, findSection(section::deviceConfiguration, 1)->size);
    channelMap_ = ChannelMap::build(*cache_.find(section::deviceConfiguration));
    for (const auto& [channel, keys] : request) {
        for (ConfigurationKey key : keys) {
            const Location location = locateKey(key, channel, channelMap_);
            if (location.address == noAddress) continue;
            const SectionInfo* info = findSection(location.address, valueKindWidth(location.kind));
            if (info == nullptr) throw configFailure(msg::databaseSectionInfoNull);
            sections_.insert(*info);
        }
    }
}

void ConfigurationDatabaseCommunicatorPrivate::readSections(const SectionSet& sections, bool bulkRead) {
    for (const SectionInfo& info : sections) {
        if (cache_.contains(info.address)) continue;
        // A read of values needs only the head of an EC sensor record.
        const uint32_t length = bulkRead && isEcSensorRecord(info.address) ? blockSize : info.size;
        readSection(info.address, length);
    }
}

bool ConfigurationDatabaseCommunicatorPrivate::readValues(const ConfigurationRequest& request,
                                                          ConfigurationData& result) {
    const DeviceGuard hold = device_;
    if (!sayHello()) throw configError(ErrorCode::ConnectionFailed, msg::deviceCommunicationFailed);
    collectSections(request);
    removeSections(sections_, isLargeSensorRecord);
    readSections(sections_, true);
    for (const auto& [channel, keys] : request) {
        for (ConfigurationKey key : keys) {
            const Location location = locateKey(key, channel, channelMap_);
            if (location.address == noAddress) {
                result.invalidate(channel, key);
                continue;
            }
            extractValue(location, key, channel, result);
        }
    }
    return true;
}

void ConfigurationDatabaseCommunicatorPrivate::extractValue(const Location& location, ConfigurationKey key,
                                                            uint8_t channel, ConfigurationData& result) {
    const uint32_t width = valueKindWidth(location.kind);
    const SectionInfo* info = findSection(location.address, width);
    if (info == nullptr) throw configFailure(msg::sectionInfoNull);
    const uint32_t offset = location.address - info->address;
    if (offset + width > info->size) throw configFailure(msg::sectionOffsetOutOfRange);
    const KeyRow* row = keyRow(key);
    if (row == nullptr || width == 0) throw configFailure(msg::keyNotSupported);

    // Values whose bytes the bulk read did not bring (the large sensor records, an EC sensor record
    // beyond its first 256 bytes) are read with a request of their own width.
    std::vector<uint8_t> bytes(width);
    const SectionCache::Image* image = cache_.find(info->address);
    if (image != nullptr && offset + width <= image->size()) {
        std::copy_n(image->begin() + offset, width, bytes.begin());
    } else {
        readMemory(location.address, bytes.data(), width);
    }
    result.set(channel, key, decodeField(key, row->field, bytes.data()));
}

bool ConfigurationDatabaseCommunicatorPrivate::writeValues(const ConfigurationData& values) {
    const DeviceGuard hold = device_;
    try {
        runWriteSequence(values);
        return true;
    } catch (const CommInterface::CommError&) {
        throw;  // the serial link itself failed: the caller reports it as such
    } catch (...) {
        const Error cause = describeCaughtException(writeFailure).error;
        log(LogLevel::Error, msg::writeErrorPrefix + cause.message);
        throw cause;
    }
}

void ConfigurationDatabaseCommunicatorPrivate::runWriteSequence(const ConfigurationData& values) {
    if (!sayHello()) throw configError(ErrorCode::ConnectionFailed, msg::deviceCommunicationFailed);
    const SectionSet changed = prepareSections(values);
    if (changed.empty()) {
        log(LogLevel::Info, msg::nothingToWrite);
        return;
    }

    const ExchangePolicy& policy = device_->context()->exchangePolicy();
    const int32_t state = device_->readDeviceState();
    const bool switchOnAfterwards = state != deviceState::keptOff && state != deviceState::switchedOff;
    leftSwitchedOff_ = switchOnAfterwards;  // until the switch-on below has succeeded
    device_->switchOff();
    if (!device_->waitForState(deviceState::switchedOff, policy.stateWaitTimeoutMs, true))
        throw configFailure(msg::unableToSwitchOff);

    log(LogLevel::Debug, msg::connectToDevice);
    ConnectResponse connected;
    leftConnected_ = true;  // the device may have heard Connect even when its reply is lost
    try {
        device_->exchange(ConnectMessage(), connected);
    } catch (const FirmwareMessageHandler::StandardErrorResponseException&) {
        leftConnected_ = false;  // it heard Connect and refused it
        throw;
    }
    writeSections(changed);
    device_->context()->clock().sleepFor(std::chrono::milliseconds(policy.writePauseMs));
    log(LogLevel::Debug, msg::disconnectFromDevice);
    DisconnectResponse disconnected;
    device_->exchange(DisconnectMessage(), disconnected);
    leftConnected_ = false;

    if (switchOnAfterwards) {
        log(LogLevel::Info, msg::switchingDeviceOn);
        device_->switchOn();
        if (!device_->waitForState(deviceState::ready, policy.stateWaitTimeoutMs, true))
            throw configFailure(msg::unableToSwitchOn);
        leftSwitchedOff_ = false;
    }
    log(LogLevel::Info, msg::writingDatabaseSuccessful);
}

// Everything a write can refuse is refused here, while the device is still on and nothing is
// written: the sections are read, the values applied to their images, and every section whose
// bytes change must carry a stored checksum that verifies before it is sealed anew. Sections whose
// bytes stay as they are are not written at all.
ConfigurationDatabaseCommunicatorPrivate::SectionSet ConfigurationDatabaseCommunicatorPrivate::prepareSections(
    const ConfigurationData& values) {
    collectSections(values.keys());
    SectionSet written = sections_;
    SectionSet toRead = sections_;
    removeSections(toRead,
                   [](uint32_t address) { return address == section::deviceConfiguration || isSensorRecord(address); });
    removeSections(written, isSensorRecord);
    readSections(toRead, false);
    std::map<uint32_t, SectionCache::Image> asRead;
    for (const SectionInfo& info : written)
        if (const SectionCache::Image* image = cache_.find(info.address)) asRead.emplace(info.address, *image);
    applyValues(values);

    SectionSet changed;
    for (const SectionInfo& info : written) {
        SectionCache::Image* image = cache_.find(info.address);
        if (image == nullptr || *image == asRead.at(info.address)) continue;
        const SectionCache::Image& stored = asRead.at(info.address);
        if (!sealVerifies(info, stored))
            throw configFailure(widen(fmt::format(msg::checksumRefusedFormat, info.address,
                                                  storedChecksum(info, stored), sectionChecksum(info, stored))));
        changed.insert(info);
    }
    for (const SectionInfo& info : changed) sealSection(&info, *cache_.find(info.address));
    return changed;
}

void ConfigurationDatabaseCommunicatorPrivate::applyValues(const ConfigurationData& values) {
    for (const auto& [channel, slots] : values.channels()) {
        for (const auto& [key, value] : slots) {
            const KeyRow* row = keyRow(key);
            if (row == nullptr || !row->writable) {
                log(LogLevel::Warn, widen(fmt::format(msg::featureNotSupportedFormat, key)));
                continue;
            }
            const Location location = locateKey(key, channel, channelMap_);
            if (location.address == noAddress) continue;
            const uint32_t width = valueKindWidth(location.kind);
            const SectionInfo* info = findSection(location.address, width);
            SectionCache::Image* image = info != nullptr ? cache_.find(info->address) : nullptr;
            if (image == nullptr) throw configFailure(msg::sectionInfoNull);
            const uint32_t offset = location.address - info->address;
            if (offset + width > image->size()) throw configFailure(msg::sectionOffsetOutOfRange);
            if (!isSet(value)) throw configFailure(msg::resultStorageNull);
            encodeField(row->field, value, image->data() + offset);
        }
    }
}

void ConfigurationDatabaseCommunicatorPrivate::writeSections(const SectionSet& sections) {
    auto refuse = [this](const char16_t* message) {
        DisconnectResponse disconnected;
        device_->exchange(DisconnectMessage(), disconnected);
        return configFailure(message);
    };
    for (const SectionInfo& info : sections) {
        const SectionCache::Image* image = cache_.find(info.address);
        if (image == nullptr || image->empty()) throw refuse(msg::sectionDataSizeEmpty);
        if (image->size() % blockSize != 0) throw refuse(msg::sectionDataSizeNotMultiple);
        for (uint32_t offset = 0; offset < image->size(); offset += blockSize)
            writeMemoryBlock(info.address + offset, image->data() + offset, blockSize);
    }
}

}  // namespace devlib_instr
