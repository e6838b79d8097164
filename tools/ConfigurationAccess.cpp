#include "ConfigurationAccess.hpp"

namespace torvik::cli {

namespace {
constexpr char readFailed[] = "reading the configuration failed without an error record";
}  // namespace

ConfigurationAccess::ConfigurationAccess(DeviceSession& session)
    : session_(session), configuration_(session.device()) {}

std::string ConfigurationAccess::read(const std::string& request) {
    try {
        return configuration_.read(request);
    } catch (const Error& error) {
        session_.fail(error, readFailed);
    }
}

uint64_t ConfigurationAccess::fingerprint(const std::string& request) {
    try {
        return configuration_.fingerprint(request);
    } catch (const Error& error) {
        session_.fail(error, readFailed);
    }
}

void ConfigurationAccess::write(const std::string& document) {
    try {
        configuration_.write(document);
    } catch (const Error& error) {
        session_.fail(error, "writing the configuration failed without an error record");
    }
}

}  // namespace torvik::cli
