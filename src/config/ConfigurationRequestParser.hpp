// Turns a fieldconfig request document into (channel, key) pairs, with the values to write when
// the request is a write.
//
// How a request is walked (the choices a host relies on):
// - The root must be a non-empty object whose "version" is the string "1.0.6" (null, {} and [] are
//   refused as unreadable, any other root as the JSON library's type error); "$schema" is ignored,
//   so a response document can be sent back as a write request unchanged.
// - Below "device", "channels"/n and "sensors"/s every member must be a known path; intermediate
//   members are objects (arrays are refused as a wrong data type).
// - In a read request a leaf may be null or a value of the leaf's JSON type (its value is not
//   used), and a null member above the leaves asks for every leaf below it ({"device": null},
//   {"channels": {"0": null}}, {"channels": null}).
// - In a write request null members are skipped, and a read-only key takes any value of its JSON
//   type (it changes nothing). Values to be written are checked: numbers for integer keys must be
//   whole (30, 30.0 and 3e1 alike), not negative and fit the key's database field, floats must lie
//   within the range of a 32-bit float; texts of enumerated keys must be one of the key's value
//   texts. Anything else is a wrong data type.
// - "channels"/n takes any decimal n up to 254 (channels above 5 are refused when the database is
//   read); "sensors"/s follows the response's slot list (slot 0 channels 4 and 5, slot 1 channel 0,
//   slot 2 channel 1, slot 3 channels 2 and 3), so what a host reads is what it gets.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/ConfigurationData.hpp"
#include "core/Error.hpp"

namespace devlib_instr {

// Receives what a refused request got wrong, in words, before the refusal: the allowed texts of an
// enumerated value, the version expected. The records keep their own texts.
using RefusalNote = std::function<void(const std::string&)>;

// False when the request's "version" is not "1.0.6". Raises the JSON library's errors for text
// that is not JSON, a root that is no object and a "version" that is missing or not a string, and
// the library's Error for empty requests, unknown paths and wrong data types.
bool parseConfigurationRequest(std::string_view text, bool withValues, ConfigurationData& out,
                               const RefusalNote& note = {});

// "Invalid data type in JSON for node path: " and the path (category 5, code 1): a value that the
// key's field cannot hold.
Error invalidDataType(const std::string& nodePath);

}  // namespace devlib_instr
