// The hello reply: the device's identity, firmware version and clock.
#pragma once

#include <ctime>
#include <string>

#include "comm/CommandCatalogue.hpp"

namespace devlib_instr {

class HelloResponse : public CatalogueResponse<Command::Hello> {
public:
    // The payload is 34 characters of text: firmware text (0..5), part number (7..13), serial
    // number (14..21) and the device clock as hex (22..33).
    void parsePayload() override;

    std::string partNumber;       // 7 characters
    std::string serialNumber;     // "NNNN-NNNN"
    std::string firmwareVersion;  // "major.minor"
    std::tm deviceTime{};         // the device clock as reported; tm_isdst -1
};

}  // namespace devlib_instr
