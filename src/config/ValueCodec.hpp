// Reading a value out of its field in a section image and writing it back.
#pragma once

#include <cstdint>

#include "config/ConfigurationData.hpp"
#include "config/KeyTable.hpp"

namespace devlib_instr {

// `bytes` points at the field (valueKindWidth(field.kind) bytes). The value has the key's class.
Value decodeField(ConfigurationKey key, const Field& field, const uint8_t* bytes);

// Writes `value` into the field. Flag fields first clear the bits of the field's other values, so
// that a written choice reads back as written; bits outside the field stay as they were.
void encodeField(const Field& field, const Value& value, uint8_t* bytes);

}  // namespace devlib_instr
