// Fuzzes the configuration request parser through the C table: byte 0 picks a read of the
// document, a read of the fingerprint or a write, and whether the line echoes; the rest is the
// request document. The device is the simulator's detector model behind an in-memory link, timed
// on a virtual clock. A read that succeeds must give a document that parses and reads back to
// itself (or a decimal fingerprint); no read may write the database; no write may leave a section
// unsealed; a successful write leaves the device on; every failure is reported in the error list
// and leaves the result untouched.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "FuzzCheck.hpp"
#include "HostSession.hpp"
#include "sim/DatabaseImage.hpp"
#include "support/DetectorResponder.hpp"
#include "support/MemoryLink.hpp"
#include "support/SkippingClock.hpp"

namespace {

using namespace torvik_fuzz;
using torvik::sim::DetectorModel;

constexpr uint32_t documentOption = 0;
constexpr uint32_t fingerprintOption = 1;
constexpr std::string_view untouched = "untouched";

const DetectorModel& defaultDetector() {
    static const DetectorModel model;
    return model;
}

bool sameDatabase(const torvik::sim::DatabaseImage& a, const torvik::sim::DatabaseImage& b) {
    for (const torvik::sim::DatabaseSection& section : torvik::sim::kDatabaseSections)
        if (a.section(section.address) != b.section(section.address)) return false;
    return true;
}

// A configuration of the session's device and the byte arrays of one call.
class ConfigurationCall {
public:
    explicit ConfigurationCall(HostSession& host)
        : api_(host.api), configuration_(api_->configurationAddRef(api_->configurationCreate(host.device))) {}
    ~ConfigurationCall() { api_->configurationRelease(configuration_); }
    ConfigurationCall(const ConfigurationCall&) = delete;
    ConfigurationCall& operator=(const ConfigurationCall&) = delete;

    // The result text, or nothing when the read failed.
    bool read(std::string_view request, uint32_t option, std::string& result) {
        InstrByteArray* in = array(request);
        InstrByteArray* out = array(untouched);
        InstrError* err = nullptr;
        const bool ok = api_->configurationRead(configuration_, in, option, out, &err);
        require(err == nullptr, "a read failure reached the error parameter");
        result.assign(reinterpret_cast<const char*>(api_->byteArrayConstData(out)), api_->byteArraySize(out));
        api_->byteArrayRelease(in);
        api_->byteArrayRelease(out);
        checkErrors(ok);
        require(ok || result == untouched, "a failed read changed the result");
        return ok;
    }

    bool write(std::string_view document) {
        InstrByteArray* in = array(document);
        InstrError* err = nullptr;
        const bool ok = api_->configurationWrite(configuration_, in, &err);
        require(err == nullptr, "a write failure reached the error parameter");
        api_->byteArrayRelease(in);
        checkErrors(ok);
        return ok;
    }

private:
    InstrByteArray* array(std::string_view text) {
        return api_->byteArrayAddRef(api_->byteArrayCreateFromData(text.data(), static_cast<uint32_t>(text.size())));
    }

    // Success leaves no error; a failure leaves at least one, with a message.
    void checkErrors(bool ok) {
        const uint32_t count = api_->configurationGetErrors(configuration_, nullptr, 0);
        require(ok == (count == 0), "the error list does not match the result");
        if (count == 0) return;
        InstrError* first = nullptr;
        api_->configurationGetErrors(configuration_, &first, 1);
        require(first != nullptr && first->message != nullptr && first->message[0] != 0, "an error without a message");
        api_->errorDelete(first);
    }

    const InstrumentAPI* api_;
    InstrConfiguration* configuration_;
};

void checkDocument(ConfigurationCall& call, const std::string& document) {
    const nlohmann::json parsed = nlohmann::json::parse(document, nullptr, false);
    require(parsed.is_object(), "a successful read gave no JSON object");
    require(parsed.value("version", "") == "1.0.6" && parsed.contains("$schema"), "response without version or schema");
    std::string again;
    require(call.read(document, documentOption, again), "the response does not read back as a request");
    require(again == document, "the response read back as a request gives another response");
}

void checkFingerprint(const std::string& text) {
    const bool digits = !text.empty() && text.size() <= 20 && text.find_first_not_of("0123456789") == std::string::npos;
    require(digits && (text == "0" || text[0] != '0'), "the fingerprint is not a plain decimal number");
}

bool allSealed(const torvik::sim::DatabaseImage& database) {
    for (const torvik::sim::DatabaseSection& section : torvik::sim::kDatabaseSections)
        if (!database.isSealed(section.address)) return false;
    return true;
}

// Whatever happens, no section is left with a broken checksum, and a successful write leaves the
// device switched on again.
void checkWrite(bool written, const DetectorModel& model) {
    require(allSealed(model.database), "a write left a section with a wrong checksum");
    require(!written || model.state.current() == torvik::sim::kStateOn, "a successful write left the device off");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view request(reinterpret_cast<const char*>(data) + 1, size - 1);
    DetectorModel model = defaultDetector();
    const bool echo = (data[0] & 0x80) != 0;
    torvik_test::SkippingClock clock;
    torvik_test::MemoryLinkFactory factory(clock, [&](torvik_test::MemoryLink& link) {
        link.responder = torvik_test::detectorResponder(model, {}, echo);
    });
    HostSession host(factory);
    ConfigurationCall call(host);

    std::string result;
    switch (data[0] % 3) {
        case 0:
            if (call.read(request, documentOption, result)) checkDocument(call, result);
            break;
        case 1:
            if (call.read(request, fingerprintOption, result)) checkFingerprint(result);
            break;
        default:
            checkWrite(call.write(request), model);
            return 0;
    }
    require(model.commandCount("AW") == 0 && sameDatabase(model.database, defaultDetector().database),
            "a read changed the database");
    return 0;
}
