#include "ConfigurationAccess.hpp"

#include "ErrorReport.hpp"

namespace torvik::cli {

namespace {
ApiHandle<InstrByteArray> byteArrayOf(const InstrumentAPI& api, const std::string& text) {
    return ApiHandle(api, api.byteArrayCreateFromData(text.data(), static_cast<uint32_t>(text.size())));
}
}  // namespace

ConfigurationAccess::ConfigurationAccess(DeviceSession& session)
    : session_(session), configuration_(session.api(), session.api().configurationCreate(session.device())) {
    if (!configuration_) throw ToolFailure("the library could not create a configuration");
}

std::string ConfigurationAccess::read(const std::string& request, bool fingerprint) {
    const InstrumentAPI& api = session_.api();
    ApiHandle<InstrByteArray> requestBytes = byteArrayOf(api, request);
    ApiHandle<InstrByteArray> result(api, api.byteArrayCreate(0));
    InstrError* err = nullptr;
    if (!api.configurationRead(configuration_.get(), requestBytes.get(), fingerprint ? 1 : 0, result.get(), &err)) {
        fail(err, "reading the configuration");
    }
    const uint8_t* data = api.byteArrayConstData(result.get());
    return data == nullptr ? std::string()
                           : std::string(reinterpret_cast<const char*>(data), api.byteArraySize(result.get()));
}

void ConfigurationAccess::write(const std::string& document) {
    const InstrumentAPI& api = session_.api();
    ApiHandle<InstrByteArray> documentBytes = byteArrayOf(api, document);
    InstrError* err = nullptr;
    if (!api.configurationWrite(configuration_.get(), documentBytes.get(), &err))
        fail(err, "writing the configuration");
}

void ConfigurationAccess::fail(InstrError*& err, const std::string& operation) {
    const InstrumentAPI& api = session_.api();
    std::vector<std::string> lines = takeError(api, err);
    std::vector<std::string> listed = takeErrorList(api, [&](InstrError** list, uint32_t capacity) {
        return api.configurationGetErrors(configuration_.get(), list, capacity);
    });
    lines.insert(lines.end(), listed.begin(), listed.end());
    session_.fail(std::move(lines), operation + " failed without an error record");
}

}  // namespace torvik::cli
