// Reading and writing the configuration document through the API's configuration family: byte
// arrays in and out, failures turned into ToolFailure with the configuration's error list.
#pragma once

#include <string>

#include "ApiHandle.hpp"
#include "DeviceSession.hpp"

namespace torvik::cli {

class ConfigurationAccess {
public:
    explicit ConfigurationAccess(DeviceSession& session);

    // The response document (or, with `fingerprint`, the fingerprint's decimal text) for the
    // JSON read request.
    std::string read(const std::string& request, bool fingerprint);
    void write(const std::string& document);

private:
    // Throws the failure of the last operation: the slot's record, then the error list.
    [[noreturn]] void fail(InstrError*& err, const std::string& operation);

    DeviceSession& session_;
    ApiHandle<InstrConfiguration> configuration_;
};

}  // namespace torvik::cli
