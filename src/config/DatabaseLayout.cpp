#include "config/DatabaseLayout.hpp"

#include "config/ConfigError.hpp"
#include "core/LittleEndian.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

const SectionInfo* findSection(uint32_t address, uint32_t length) {
    for (const SectionInfo& row : sectionTable) {
        const uint64_t end = uint64_t{address} + length;
        if (row.address <= address && end <= uint64_t{row.address} + row.size) return &row;
    }
    return nullptr;
}

uint32_t valueKindWidth(ValueKind kind) {
    const auto index = static_cast<size_t>(kind);
    return index < valueKindWidths.size() ? valueKindWidths[index] : 0;
}

uint16_t sectionChecksum(const SectionInfo& info, const std::vector<uint8_t>& image) {
    uint16_t sum = 0;
    for (uint32_t i = 0; i < info.checksumOffset && i < image.size(); ++i) sum = static_cast<uint16_t>(sum + image[i]);
    return static_cast<uint16_t>(~sum);
}

uint16_t storedChecksum(const SectionInfo& info, const std::vector<uint8_t>& image) {
    if (image.size() < info.checksumOffset + 2) return 0;
    return static_cast<uint16_t>(readLittleEndian(image.data() + info.checksumOffset, 2));
}

void sealSection(const SectionInfo* info, std::vector<uint8_t>& image) {
    if (info == nullptr) throw configFailure(msg::databaseSectionInfoNull);
    if (image.size() != info->size) throw configFailure(msg::wrongSectionDataSize);
    const uint16_t checksum = sectionChecksum(*info, image);
    writeLittleEndian(checksum, image.data() + info->checksumOffset, 2);
}

bool isEcSensorRecord(uint32_t address) {
    return address >= section::ecSensorRecord0 && address < section::irSensorRecord0 && address % sectionStep == 0;
}

bool isLargeSensorRecord(uint32_t address) {
    return address == section::irSensorRecord0 || address == section::irSensorRecord0 + sectionStep ||
           address == section::catExSensorRecord;
}

uint32_t ecSensorRecordAddress(uint32_t channel) {
    if (channel > 5) throw configFailure(msg::ecChannelOutOfRange);
    return section::ecSensorRecord0 + channel * sectionStep;
}

uint32_t ecChannelConfigurationAddress(uint32_t channel) {
    if (channel > 5) throw configFailure(msg::ecChannelOutOfRange);
    return section::ecChannelConfiguration0 + channel * sectionStep;
}

uint32_t irSensorRecordAddress(uint32_t irIndex) {
    if (irIndex > 1) throw configFailure(msg::irChannelOutOfRange);
    return section::irSensorRecord0 + irIndex * sectionStep;
}

uint32_t irChannelConfigurationAddress(uint32_t irIndex) {
    if (irIndex > 1) throw configFailure(msg::irChannelOutOfRange);
    return irIndex == 0 ? section::irChannelConfiguration0 : section::irChannelConfiguration1;
}

}  // namespace devlib_instr
