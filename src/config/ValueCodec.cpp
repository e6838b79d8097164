#include "config/ValueCodec.hpp"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "config/DatabaseLayout.hpp"
#include "core/LittleEndian.hpp"

namespace devlib_instr {

namespace {

// A flag byte that stands for one of a few choices: the first listed bit that is set decides,
// no listed bit gives the fallback; bytes at or above `firstInvalid` (when non-zero) hold none.
struct ChoiceField {
    uint8_t mask;  // bits cleared before a choice is written
    uint8_t firstInvalid;
    std::array<std::pair<uint8_t, int32_t>, 2> bits;
    int32_t fallback;
};

constexpr ChoiceField bumptestReaction{0x24, 0, {{{0x20, 2}, {0x04, 1}}}, 0};
constexpr ChoiceField calibrationReaction{0xFF, 3, {{{0x02, 1}, {0x01, 0}}}, 2};
constexpr ChoiceField switchOff{0x03, 0, {{{0x02, 1}, {0x01, 2}}}, 0};

const ChoiceField* choiceOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::BumptestReaction:
            return &bumptestReaction;
        case Encoding::CalibrationReaction:
            return &calibrationReaction;
        case Encoding::SwitchOff:
            return &switchOff;
        default:
            return nullptr;
    }
}

Value numberOfClass(ConfigurationKey key, uint32_t number) {
    if (valueClassOf(key) == ValueClass::Unsigned) return number;
    return static_cast<int32_t>(number);
}

int32_t decodeChoice(const ChoiceField& choice, uint8_t byte) {
    if (choice.firstInvalid != 0 && byte >= choice.firstInvalid) return unsetSigned;
    for (const auto& [bit, value] : choice.bits)
        if (byte & bit) return value;
    return choice.fallback;
}

uint8_t encodeChoice(const ChoiceField& choice, uint8_t byte, int32_t value) {
    byte = static_cast<uint8_t>(byte & ~choice.mask);
    for (const auto& [bit, choiceValue] : choice.bits)
        if (choiceValue == value) byte |= bit;
    return byte;
}

// Integer view of a numeric value (floats are not stored in integer fields).
uint32_t integerOf(const Value& value) {
    if (const auto* u = std::get_if<uint32_t>(&value)) return *u;
    if (const auto* i = std::get_if<int32_t>(&value)) return static_cast<uint32_t>(*i);
    if (const auto* f = std::get_if<float>(&value)) return static_cast<uint32_t>(static_cast<int64_t>(*f));
    return 0;
}

}  // namespace

Value decodeField(ConfigurationKey key, const Field& field, const uint8_t* bytes) {
    const uint32_t width = valueKindWidth(field.kind);
    switch (field.encoding) {
        case Encoding::Unsigned:
            return numberOfClass(key, readLittleEndian(bytes, width));
        case Encoding::Float:
            return std::bit_cast<float>(readLittleEndian(bytes, 4));
        case Encoding::Text: {
            TextValue text{};
            std::memcpy(text.data(), bytes, std::min<size_t>(width, text.size() - 1));
            return text;
        }
        case Encoding::Bit:
            return static_cast<int32_t>((readLittleEndian(bytes, width) & field.mask) != 0);
        default:
            break;
    }
    return decodeChoice(*choiceOf(field.encoding), bytes[0]);
}

void encodeField(const Field& field, const Value& value, uint8_t* bytes) {
    const uint32_t width = valueKindWidth(field.kind);
    switch (field.encoding) {
        case Encoding::Unsigned:
            writeLittleEndian(integerOf(value), bytes, width);
            return;
        case Encoding::Float: {
            const float* f = std::get_if<float>(&value);
            writeLittleEndian(std::bit_cast<uint32_t>(f != nullptr ? *f : static_cast<float>(integerOf(value))), bytes,
                              4);
            return;
        }
        case Encoding::Text: {
            TextValue text = std::holds_alternative<TextValue>(value) ? std::get<TextValue>(value) : TextValue{};
            std::memcpy(bytes, text.data(), std::min<size_t>(width, text.size()));
            return;
        }
        case Encoding::Bit: {
            uint32_t word = readLittleEndian(bytes, width);
            word = integerOf(value) != 0 ? (word | field.mask) : (word & ~uint32_t{field.mask});
            writeLittleEndian(word, bytes, width);
            return;
        }
        default:
            break;
    }
    bytes[0] = encodeChoice(*choiceOf(field.encoding), bytes[0], static_cast<int32_t>(integerOf(value)));
}

}  // namespace devlib_instr
