#include "sim/DatabaseImage.hpp"

#include <cstring>
#include <stdexcept>

namespace torvik::sim {

const std::array<DatabaseSection, 20> kDatabaseSections{{
    {0x04000000, 256},                                         // device configuration
    {0x05000000, 768},  {0x06000000, 768}, {0x07000000, 768},  // EC sensor records
    {0x08000000, 768},  {0x09000000, 768}, {0x0A000000, 768},  //   channels 0 to 5
    {0x0B000000, 768},  {0x0C000000, 768},                     // IR sensor records
    {0x0D000000, 256},  {0x0E000000, 256}, {0x0F000000, 256},  // EC channel configs
    {0x10000000, 256},  {0x11000000, 256}, {0x12000000, 256},  //   channels 0 to 5
    {0x13000000, 256},                                         // CatEx channel config
    {0x13000000, 256},                                         // IR channel config 0
    {0x14000000, 256},                                         // IR channel config 1
    {0x17000000, 512},                                         // IR sensor data set
    {0x19000000, 1536},                                        // CatEx sensor record
}};

DatabaseImage::DatabaseImage() {
    for (const auto& row : kDatabaseSections) sections_.try_emplace(row.address, Bytes(row.size, 0));
    sealAll();
}

const uint8_t* DatabaseImage::locate(uint32_t address, uint32_t length) const {
    auto it = sections_.upper_bound(address);
    if (it == sections_.begin()) return nullptr;
    --it;
    uint64_t offset = address - it->first;
    if (offset + length > it->second.size()) return nullptr;
    return it->second.data() + offset;
}

uint8_t* DatabaseImage::locate(uint32_t address, uint32_t length) {
    return const_cast<uint8_t*>(static_cast<const DatabaseImage&>(*this).locate(address, length));
}

std::optional<Bytes> DatabaseImage::read(uint32_t address, uint32_t length) const {
    const uint8_t* p = locate(address, length);
    if (p == nullptr) return std::nullopt;
    return Bytes(p, p + length);
}

bool DatabaseImage::write(uint32_t address, const Bytes& data) {
    uint8_t* p = locate(address, static_cast<uint32_t>(data.size()));
    if (p == nullptr) return false;
    std::memcpy(p, data.data(), data.size());
    return true;
}

Bytes& DatabaseImage::section(uint32_t sectionAddress) {
    return sections_.at(sectionAddress);
}

const Bytes& DatabaseImage::section(uint32_t sectionAddress) const {
    return sections_.at(sectionAddress);
}

void DatabaseImage::load(uint32_t sectionAddress, Bytes image) {
    Bytes& target = section(sectionAddress);
    if (image.size() != target.size()) throw std::invalid_argument("database image size does not match the section");
    target = std::move(image);
}

uint16_t DatabaseImage::checksumOf(const Bytes& image, SealRule rule) {
    const size_t summed = image.size() - (rule == SealRule::BytesBeforeChecksum ? 2 : 3);
    uint16_t sum = 0;
    for (size_t i = 0; i < summed; ++i) sum = static_cast<uint16_t>(sum + image[i]);
    return static_cast<uint16_t>(~sum);
}

void DatabaseImage::seal(uint32_t sectionAddress, SealRule rule) {
    Bytes& image = section(sectionAddress);
    uint16_t checksum = checksumOf(image, rule);
    image[image.size() - 2] = static_cast<uint8_t>(checksum);
    image[image.size() - 1] = static_cast<uint8_t>(checksum >> 8);
}

void DatabaseImage::sealAll(SealRule rule) {
    for (auto& [address, image] : sections_) seal(address, rule);
}

bool DatabaseImage::isSealed(uint32_t sectionAddress) const {
    const Bytes& image = section(sectionAddress);
    uint16_t stored = static_cast<uint16_t>(image[image.size() - 2] | image[image.size() - 1] << 8);
    return stored == checksumOf(image);
}

namespace {
template <typename T>
T checked(T pointer) {
    if (pointer == nullptr) throw std::out_of_range("database address outside every section");
    return pointer;
}
}  // namespace

void DatabaseImage::setU8(uint32_t address, uint8_t value) {
    *checked(locate(address, 1)) = value;
}

void DatabaseImage::setU16(uint32_t address, uint16_t value) {
    uint8_t* p = checked(locate(address, 2));
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

void DatabaseImage::setFloat(uint32_t address, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t* p = checked(locate(address, 4));
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

void DatabaseImage::setText(uint32_t address, std::string_view text, uint32_t width) {
    uint8_t* p = checked(locate(address, width));
    for (uint32_t i = 0; i < width; ++i) p[i] = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
}

uint8_t DatabaseImage::u8(uint32_t address) const {
    return *checked(locate(address, 1));
}

uint16_t DatabaseImage::u16(uint32_t address) const {
    const uint8_t* p = checked(locate(address, 2));
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

float DatabaseImage::floatAt(uint32_t address) const {
    const uint8_t* p = checked(locate(address, 4));
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= uint32_t{p[i]} << (8 * i);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string DatabaseImage::text(uint32_t address, uint32_t width) const {
    const uint8_t* p = checked(locate(address, width));
    std::string out;
    for (uint32_t i = 0; i < width && p[i] != 0; ++i) out.push_back(static_cast<char>(p[i]));
    return out;
}

}  // namespace torvik::sim
