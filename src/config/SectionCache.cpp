#include "config/SectionCache.hpp"

namespace devlib_instr {

SectionCache::Image& SectionCache::create(uint32_t address, uint32_t length) {
    Image& image = images_[address];
    image.assign(length, 0);
    return image;
}

SectionCache::Image* SectionCache::find(uint32_t address) {
    auto it = images_.find(address);
    return it != images_.end() ? &it->second : nullptr;
}

}  // namespace devlib_instr
