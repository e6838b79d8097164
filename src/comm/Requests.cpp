#include "comm/Requests.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include "comm/PayloadCodec.hpp"

namespace devlib_instr {

namespace {

std::string hexText(const std::vector<uint8_t>& bytes) {
    return hexEncode(bytes);
}

std::string footprintPayload() {
    return hexText({0x17, 0x00, 0x81, 0x00});
}

std::string maintenancePayload(bool enable, int32_t durationSeconds) {
    std::vector<uint8_t> bytes;
    appendLittleEndian(bytes, static_cast<uint32_t>(std::clamp(durationSeconds, 0, 60)), 4);
    // Appended, not literal + string: GCC 12 at -O3 reports a false -Wrestrict for that.
    return std::string(enable ? "1" : "0").append(hexText(bytes));
}

std::string memoryHeader(uint32_t address, uint16_t length) {
    std::vector<uint8_t> bytes;
    appendBigEndian(bytes, address, 4);
    appendBigEndian(bytes, length, 2);
    return hexText(bytes);
}

std::string datalogReadPayload(uint32_t section, uint16_t requestIndex) {
    std::vector<uint8_t> index;
    appendLittleEndian(index, requestIndex, 2);
    return std::string{gdcDatalogSectionDigit(section), '0'} + hexText(index);
}

}  // namespace

char gdcDatalogSectionDigit(uint32_t section) {
    static constexpr std::array<char, 6> digits{'0', '1', '2', '3', '4', '5'};
    if (section >= digits.size()) throw std::runtime_error(msg::unknownDatalogSection);
    return digits[section];
}

FootprintRequest::FootprintRequest() : CatalogueRequest(footprintPayload()) {}

SetMaintenanceModeRequest::SetMaintenanceModeRequest(bool enable, int32_t durationSeconds)
    : CatalogueRequest(maintenancePayload(enable, durationSeconds)) {}

ReadMemoryRequest::ReadMemoryRequest(uint32_t address, uint16_t length)
    : CatalogueRequest(memoryHeader(address, length)) {}

WriteMemoryRequest::WriteMemoryRequest(uint32_t address, const uint8_t* data, uint32_t length)
    : CatalogueRequest([&] {
          // The length field holds the low 16 bits; every data byte is sent.
          std::string text = memoryHeader(address, static_cast<uint16_t>(length));
          if (data != nullptr) hexEncode(data, length, text);
          return text;
      }()) {}

GdcDatalogMoveReadPositionRequest::GdcDatalogMoveReadPositionRequest(uint32_t section)
    : CatalogueRequest(std::string(1, gdcDatalogSectionDigit(section))) {}

GdcDatalogClearRequest::GdcDatalogClearRequest() : CatalogueRequest("A") {}

AbstractGdcDatalogReadRequest::AbstractGdcDatalogReadRequest(std::string code,
                                                             const DatalogMemoryConfiguration& configuration,
                                                             uint32_t section, uint16_t requestIndex)
    : FirmwareCmdMessage(std::u16string(), std::move(code)), configuration(configuration) {
    payload = datalogReadPayload(section, requestIndex);
    encode();
}

}  // namespace devlib_instr
