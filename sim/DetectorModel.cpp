#include "sim/DetectorModel.hpp"

#include <exception>

#include "sim/CommandDispatcher.hpp"
#include "sim/SubstitutionCodec.hpp"

namespace torvik::sim {
namespace {

constexpr size_t kStateRecordSize = 90;
constexpr size_t kStateWordOffset = 56;
constexpr size_t kDeviceStateOffset = 88;
constexpr uint32_t kMaintenanceFlag = 0x00000001;  // bit of the first record word
constexpr std::string_view kFootprintQuery = "17008100";
constexpr size_t kMaxMemoryTransfer = 256;
constexpr size_t kHostSubstitutionLimit = 1024;  // some hosts decode "2" only below this length

[[noreturn]] void refuse(uint8_t code) {
    throw CommandRefused{code};
}

Bytes hexPayload(std::string_view payload) {
    auto bytes = fromHex(payload);
    if (!bytes) refuse(stderr_code::kIllegalParameter);
    return *bytes;
}

int sectionDigit(char c) {
    int section = c - '0';
    if (!DatalogStore::validSection(section)) refuse(stderr_code::kIllegalDatalogAddress);
    return section;
}

void putWord(Bytes& record, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

DetectorModel::DetectorModel() : datalog(defaults::datalog()), database(defaults::database()) {}

std::string DetectorModel::commandCode(std::string_view frame) {
    if (const auto* command = CommandDispatcher::find(frame)) return std::string(command->code);
    return std::string(frame.substr(0, 2));
}

DetectorModel::Answer DetectorModel::answer(std::string_view frame) {
    auto body = checkedBody(frame);
    if (!body) return {commandCode(frame), standardErrorReply(stderr_code::kChecksumMismatch)};
    const auto* command = CommandDispatcher::find(*body);
    if (command == nullptr) return {commandCode(frame), standardErrorReply(stderr_code::kUnknownCommand)};
    std::string code(command->code);
    try {
        std::string payload = (this->*command->handler)(body->substr(code.size()));
        ++counts_[code];
        return {code, encodeFrame(command->replyCode, payload)};
    } catch (const CommandRefused& refused) {
        return {code, standardErrorReply(refused.code)};
    } catch (const std::exception&) {
        return {code, standardErrorReply(stderr_code::kIllegalParameter)};
    }
}

uint32_t DetectorModel::commandCount(std::string_view code) const {
    auto it = counts_.find(code);
    return it == counts_.end() ? 0 : it->second;
}

void DetectorModel::setPageSize(uint16_t pageSize) {
    datalog.setPageSize(pageSize);
    for (int s = 0; s < kDatalogSectionCount; ++s) {
        datalog.appendGeneratedPages(s, defaults::kSectionPages[static_cast<size_t>(s)]);
        datalog.setReadPointer(s, defaults::kReadPointers[static_cast<size_t>(s)]);
    }
}

// Firmware text, one unused character, part number, serial digits, then day number (2 bytes)
// and second of the day (4 bytes) as little-endian hex: 34 characters with the default identity.
std::string DetectorModel::onHello(std::string_view) {
    return identity.firmwareText + "-" + identity.partNumber + identity.serialDigits + toHex(clock.dayNumber, 2) +
           toHex(clock.secondOfDay, 4);
}

std::string DetectorModel::onConnect(std::string_view) {
    connected = true;
    return {};
}

std::string DetectorModel::onDisconnect(std::string_view) {
    connected = false;
    return {};
}

std::string DetectorModel::onFootprint(std::string_view payload) {
    if (payload != kFootprintQuery) refuse(stderr_code::kIllegalParameter);
    return toHex(identity.footprintKey, 2) + toHex(identity.footprintRevision, 2);
}

std::string DetectorModel::onReadState(std::string_view) {
    Bytes record(kStateRecordSize, 0);
    int32_t now = state.poll();
    putWord(record, 0, maintenanceMode ? kMaintenanceFlag : 0);
    putWord(record, kStateWordOffset, static_cast<uint32_t>(now));
    record[kDeviceStateOffset] = static_cast<uint8_t>(now);
    return toHex(record);
}

std::string DetectorModel::onSwitchOn(std::string_view) {
    state.switchOn();
    return {};
}

std::string DetectorModel::onSwitchOff(std::string_view) {
    state.switchOff();
    return {};
}

// "1" or "0", then the duration as 4 bytes little-endian in hex.
std::string DetectorModel::onMaintenance(std::string_view payload) {
    if (payload.size() != 9 || (payload[0] != '0' && payload[0] != '1')) refuse(stderr_code::kIllegalParameter);
    Bytes duration = hexPayload(payload.substr(1));
    maintenanceMode = payload[0] == '1';
    maintenanceDuration = static_cast<uint32_t>(duration[0] | duration[1] << 8 | duration[2] << 16) |
                          static_cast<uint32_t>(duration[3]) << 24;
    return {};
}

// Request: address and length big-endian; reply: address and length little-endian, then the data.
std::string DetectorModel::onReadMemory(std::string_view payload) {
    Bytes request = hexPayload(payload);
    if (request.size() != 6) refuse(stderr_code::kIllegalParameter);
    uint32_t address = readBigEndian(request, 0, 4);
    uint32_t length = readBigEndian(request, 4, 2);
    if (length == 0 || length > kMaxMemoryTransfer) refuse(stderr_code::kIllegalParameter);
    auto data = database.read(address, length);
    if (!data) refuse(stderr_code::kIllegalParameter);
    Bytes reply;
    putLittleEndian(reply, address, 4);
    putLittleEndian(reply, length, 2);
    reply.insert(reply.end(), data->begin(), data->end());
    return toHex(reply);
}

// Request: address and length big-endian, then the data. Reply: one status byte, 1 = written.
std::string DetectorModel::onWriteMemory(std::string_view payload) {
    Bytes request = hexPayload(payload);
    if (request.size() < 6) refuse(stderr_code::kIllegalParameter);
    uint32_t address = readBigEndian(request, 0, 4);
    uint32_t length = readBigEndian(request, 4, 2);
    Bytes data(request.begin() + 6, request.end());
    if (data.size() != length || length > kMaxMemoryTransfer) refuse(stderr_code::kIllegalParameter);
    bool accepted = (connected || !requireConnectForWrite) && database.write(address, data);
    return toHex(accepted ? 1u : 0u, 1);
}

// Version 3 layout: control version, versionByte2, the page numbers of sections 0, 1, 3 and 4,
// then the page size, all 16-bit little-endian.
std::string DetectorModel::onMemoryConfiguration(std::string_view) {
    Bytes record{datalogOptions.controlVersion, datalogOptions.versionByte2};
    for (int section : {0, 1, 3, 4}) putLittleEndian(record, datalog.reportedPages(section), 2);
    putLittleEndian(record, datalog.pageSize(), 2);
    return toHex(record);
}

std::string DetectorModel::onReadFromBeginning(std::string_view payload) {
    return readDatalog(payload, true);
}

std::string DetectorModel::onReadNew(std::string_view payload) {
    return readDatalog(payload, false);
}

// Payload: section digit, "0", request index (2 bytes little-endian, hex).
std::string DetectorModel::readDatalog(std::string_view payload, bool fromBeginning) {
    if (payload.size() != 6) refuse(stderr_code::kIllegalParameter);
    int section = sectionDigit(payload[0]);
    if (payload[1] != '0') refuse(stderr_code::kIllegalParameter);
    Bytes index = hexPayload(payload.substr(2));
    uint32_t requestIndex = static_cast<uint32_t>(index[0] | index[1] << 8);
    uint32_t maxPages = datalogOptions.maxPagesPerReply == 0 ? 1 : datalogOptions.maxPagesPerReply;
    return encodePages(datalog.read(section, fromBeginning, requestIndex, maxPages));
}

// "0" + hex of (page header + pages), or "2" + hex of the page header + the substituted pages.
std::string DetectorModel::encodePages(const PageGroup& group) const {
    Bytes header;
    putLittleEndian(header, group.firstPage, 2);
    if (datalogOptions.encoding != DatalogEncoding::Hex) {
        // Appended, not "2" + ...: GCC 12 at -O3 reports a false -Wrestrict for a literal + string.
        std::string substituted = std::string("2").append(toHex(header)).append(substitutionEncode(group.data));
        bool hostDecodes = substituted.size() < kHostSubstitutionLimit;
        if (datalogOptions.encoding == DatalogEncoding::Substitution || hostDecodes) return substituted;
    }
    header.insert(header.end(), group.data.begin(), group.data.end());
    return std::string("0").append(toHex(header));
}

std::string DetectorModel::onMoveReadPosition(std::string_view payload) {
    if (payload.size() != 1) refuse(stderr_code::kIllegalParameter);
    datalog.moveReadPointerToEnd(sectionDigit(payload[0]));
    return {};
}

std::string DetectorModel::onClearDatalog(std::string_view payload) {
    if (payload != "A") refuse(stderr_code::kIllegalParameter);
    if (requireMaintenanceForClear && !maintenanceMode) refuse(stderr_code::kWrongState);
    datalog.clear();
    return {};
}

}  // namespace torvik::sim
