// Byte substitution used by the datalog page replies, and the device's day-number time stamps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace devlib_instr {

// Maps every byte of buffer through a table that is the identity except table[from[i]] = to[i]
// (later entries win).
void translateBytes(const uint8_t* from, const uint8_t* to, size_t count, uint8_t* buffer, size_t length);

// Decodes blocks of keyCount key bytes followed by up to blockSize data bytes in place; inside a
// block the byte equal to key i becomes values[i]. Returns the decoded length (keys removed).
size_t decodeSubstitutedBlocks(uint8_t* buffer, size_t length, size_t blockSize, const uint8_t* values,
                               size_t keyCount);

// Day count since 1900-01-01 (day 0) and second of that day (clamped to 86399) to broken-down
// time; tm_isdst = -1, tm_wday and tm_yday untouched. Nothing happens when out is null.
void dayNumberToCalendar(uint32_t day, uint32_t secondOfDay, std::tm* out);

}  // namespace devlib_instr
