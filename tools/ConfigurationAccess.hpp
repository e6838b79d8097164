// Reading and writing the configuration document through the library's configuration: failures
// turned into ToolFailure with the configuration's error records and what the session knows.
#pragma once

#include <cstdint>
#include <string>

#include "DeviceSession.hpp"

namespace torvik::cli {

class ConfigurationAccess {
public:
    explicit ConfigurationAccess(DeviceSession& session);

    // The response document for the JSON read request.
    std::string read(const std::string& request);
    // The 64-bit fingerprint of the values the request names.
    uint64_t fingerprint(const std::string& request);
    void write(const std::string& document);

private:
    DeviceSession& session_;
    Configuration configuration_;
};

}  // namespace torvik::cli
