// A host with one configuration on a device that is open on the simulated detector.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/HostApi.hpp"

namespace torvik_test {

inline const std::string version = R"("version":"1.0.6")";

// A document of this version with the given members, e.g. document(R"("device":null)").
inline std::string document(const std::string& members) {
    return "{" + version + "," + members + "}";
}

class ConfigHost : public SimulatedHost {
protected:
    explicit ConfigHost(const std::string& policy = fastLine) : SimulatedHost(policy) {
        configuration = api->configurationAddRef(api->configurationCreate(device));
    }
    ~ConfigHost() override { api->configurationRelease(configuration); }

    struct Outcome {
        bool ok;
        std::string text;
        Record err;  // category 99 when the slot gave no record
    };

    Outcome read(const std::string& request, uint32_t option = 0) {
        ArrayRef in(request), out(api->byteArrayCreate(0));
        InstrError* err = nullptr;
        Outcome outcome{
            api->configurationRead(configuration, in.handle, option, out.handle, &err), {}, takeRecord(err)};
        if (const uint8_t* data = api->byteArrayConstData(out.handle))
            outcome.text.assign(reinterpret_cast<const char*>(data), api->byteArraySize(out.handle));
        return outcome;
    }
    nlohmann::json readJson(const std::string& request) {
        const Outcome outcome = read(request);
        EXPECT_TRUE(outcome.ok) << firstError();
        return outcome.ok ? nlohmann::json::parse(outcome.text) : nlohmann::json();
    }

    Outcome write(const std::string& text) {
        ArrayRef in(text);
        InstrError* err = nullptr;
        return {api->configurationWrite(configuration, in.handle, &err), {}, takeRecord(err)};
    }

    std::vector<Record> errors() override { return errorList(api->configurationGetErrors, configuration); }

    torvik::sim::DatabaseImage database() {
        torvik::sim::DatabaseImage copy;
        sim.withModel([&](torvik::sim::DetectorModel& model) { copy = model.database; });
        return copy;
    }
    // Every section of `actual` equals that of `expected`.
    static void expectSameSections(const torvik::sim::DatabaseImage& actual,
                                   const torvik::sim::DatabaseImage& expected) {
        for (const torvik::sim::DatabaseSection& row : torvik::sim::kDatabaseSections)
            EXPECT_EQ(actual.section(row.address), expected.section(row.address)) << std::hex << row.address;
    }
    int32_t deviceState() {
        int32_t state = 0;
        sim.withModel([&](torvik::sim::DetectorModel& model) { state = model.state.current(); });
        return state;
    }

    InstrConfiguration* configuration = nullptr;
};

}  // namespace torvik_test
