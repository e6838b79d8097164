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

    // A fresh entry for a read: `length` zero bytes, replacing whatever was held.
    Image& create(uint32_t address, uint32_t length);
    // The held image, or null.
    Image* find(uint32_t address);
    bool contains(uint32_t address) const { return images_.count(address) != 0; }

    void clear() { images_.clear(); }

private:
    std::map<uint32_t, Image> images_;
};

}  // namespace devlib_instr
