// The facts a datalog archive's metadata document records about the file, the host software and
// the device. Filled by the reader during a run; narrow texts are UTF-8.
#pragma once

#include <string>

#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

struct DatalogMetaData {
    std::string creatingSoftware;
    std::string creatingSoftwareVersion;
    std::string fileVersion = "1.5.0";
    std::string deviceId;  // the GSR device ID
    std::string devicePartNumber;
    std::string deviceSerialNumber;
    std::string deviceFirmwareVersion;
    std::string deviceDate;  // the device clock, ISO 8601
    std::u16string gatewayName = msg::unknownText;
    std::u16string gatewayVersion = msg::unknownText;
    std::string creationDate;      // the host clock, ISO 8601
    std::string creationTimezone;  // the host's zone name
    std::string creationDst;       // "true" or "false"
};

}  // namespace devlib_instr
