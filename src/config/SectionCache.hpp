// The images of the database sections one operation has read or is about to write, by section
// start address.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace devlib_instr {

class SectionCache {
public:
    using Image = std::vector<uint8_t>;

    // The image of the section starting at `address`; created at the section's full size, filled
    // with 0xFF, when the cache does not hold it yet.
    Image& section(uint32_t address);

    Image& deviceConfiguration();
    Image& catExChannelConfiguration();
    Image& irSensorDataSet();
    Image& catExSensorRecord();
    Image& ecSensorRecord(uint32_t channel);
    Image& ecChannelConfiguration(uint32_t channel);
    Image& irSensorRecord(uint32_t irIndex);
    Image& irChannelConfiguration(uint32_t irIndex);

    // A fresh entry for a read: `length` zero bytes, replacing whatever was held.
    Image& create(uint32_t address, uint32_t length);
    // The held image, or null.
    const Image* find(uint32_t address) const;
    Image* find(uint32_t address);
    bool contains(uint32_t address) const { return images_.count(address) != 0; }

    // The database address of a position inside a held image; 0 when no image holds it.
    uint32_t addressOf(const uint8_t* position) const;

    void clear() { images_.clear(); }

private:
    std::map<uint32_t, Image> images_;
};

}  // namespace devlib_instr
