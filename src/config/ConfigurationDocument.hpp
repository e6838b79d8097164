// The response document built from the values of a read, and the fingerprint of those values.
#pragma once

#include <cstdint>
#include <string>

#include "config/ConfigurationData.hpp"

namespace devlib_instr {

// "$schema", "version", "device", "channels" and "sensors" with every set value at its path,
// serialised compactly as UTF-8 with the members of every object in name order (the JSON library's
// default, as in the datalog archive's metadata). A sensor slot shared by two channels shows the
// first channel (in channel order) that has a value for it.
std::string buildConfigurationDocument(const ConfigurationData& data);

// FNV-1a over whole values: channels ascending (the device last), keys ascending, unset values
// skipped; integers sign- or zero-extended, floats truncated, texts character by character.
uint64_t configurationFingerprint(const ConfigurationData& data);

}  // namespace devlib_instr
