// Reads a fuzz input front to back: single bytes and numbers for the choices a target makes, and
// escaped chunks for the byte strings it serves. A chunk ends at a backslash followed by any
// other byte; two backslashes stand for one. Past the end every read gives zeros or nothing, so
// every input, however short, is a complete script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvik_fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return position_ == size_; }

    uint8_t byte() { return empty() ? 0 : data_[position_++]; }

    // Little-endian; missing bytes read as zero.
    uint32_t number(size_t bytes) {
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(byte()) << (8 * i);
        return value;
    }

    std::string chunk() {
        std::string text;
        while (!empty()) {
            char c = static_cast<char>(data_[position_++]);
            if (c == '\\' && !empty()) {
                c = static_cast<char>(data_[position_++]);
                if (c != '\\') break;
            }
            text.push_back(c);
        }
        return text;
    }

    std::vector<uint8_t> rest() {
        std::vector<uint8_t> bytes(data_ + position_, data_ + size_);
        position_ = size_;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace torvik_fuzz
