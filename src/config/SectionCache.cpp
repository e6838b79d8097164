#include "config/SectionCache.hpp"

#include <functional>

#include "config/DatabaseLayout.hpp"

namespace devlib_instr {

SectionCache::Image& SectionCache::section(uint32_t address) {
    auto it = images_.find(address);
    if (it != images_.end()) return it->second;
    const SectionInfo* info = findSection(address, 1);
    const uint32_t size = info != nullptr ? info->size : 0;
    return images_.emplace(address, Image(size, 0xFF)).first->second;
}

SectionCache::Image& SectionCache::deviceConfiguration() {
    return section(section::deviceConfiguration);
}
SectionCache::Image& SectionCache::catExChannelConfiguration() {
    return section(section::catExChannelConfiguration);
}
SectionCache::Image& SectionCache::irSensorDataSet() {
    return section(section::irSensorDataSet);
}
SectionCache::Image& SectionCache::catExSensorRecord() {
    return section(section::catExSensorRecord);
}

SectionCache::Image& SectionCache::ecSensorRecord(uint32_t channel) {
    return section(ecSensorRecordAddress(channel));
}

SectionCache::Image& SectionCache::ecChannelConfiguration(uint32_t channel) {
    return section(ecChannelConfigurationAddress(channel));
}

SectionCache::Image& SectionCache::irSensorRecord(uint32_t irIndex) {
    return section(irSensorRecordAddress(irIndex));
}

SectionCache::Image& SectionCache::irChannelConfiguration(uint32_t irIndex) {
    return section(irChannelConfigurationAddress(irIndex));
}

SectionCache::Image& SectionCache::create(uint32_t address, uint32_t length) {
    Image& image = images_[address];
    image.assign(length, 0);
    return image;
}

const SectionCache::Image* SectionCache::find(uint32_t address) const {
    auto it = images_.find(address);
    return it != images_.end() ? &it->second : nullptr;
}

SectionCache::Image* SectionCache::find(uint32_t address) {
    auto it = images_.find(address);
    return it != images_.end() ? &it->second : nullptr;
}

uint32_t SectionCache::addressOf(const uint8_t* position) const {
    for (const auto& [address, image] : images_) {
        if (image.empty()) continue;
        const uint8_t* begin = image.data();
        // std::less gives a total order also for pointers into unrelated images.
        if (!std::less<const uint8_t*>()(position, begin) &&
            std::less<const uint8_t*>()(position, begin + image.size()))
            return address + static_cast<uint32_t>(position - begin);
    }
    return 0;
}

}  // namespace devlib_instr
