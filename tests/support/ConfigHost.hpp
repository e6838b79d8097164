// A host with one configuration on a device that is open on the simulated detector.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
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
    explicit ConfigHost(const std::string& policy = fastLine) : SimulatedHost(policy), configuration(device) {}

    // What a read or write slot returned, and the record it left (none when the failure is in the
    // error list).
    struct Outcome {
        bool ok;
        std::string text;
        std::optional<torvik::ErrorRecord> err;
    };

    Outcome read(const std::string& request, uint32_t option = 0) {
        const torvik::ByteArray in(request);
        torvik::ByteArray out;
        InstrError* err = nullptr;
        const bool ok = api->configurationRead(configuration.get(), in.get(), option, out.get(), &err);
        return {ok, std::string(out.view()), torvik::takeRecord(err)};
    }
    nlohmann::json readJson(const std::string& request) {
        const Outcome outcome = read(request);
        EXPECT_TRUE(outcome.ok) << firstError(errors());
        return outcome.ok ? nlohmann::json::parse(outcome.text) : nlohmann::json();
    }

    Outcome write(const std::string& text) {
        const torvik::ByteArray in(text);
        InstrError* err = nullptr;
        const bool ok = api->configurationWrite(configuration.get(), in.get(), &err);
        return {ok, {}, torvik::takeRecord(err)};
    }

    std::vector<torvik::ErrorRecord> errors() const { return configuration.errors(); }

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

    torvik::Configuration configuration;
};

}  // namespace torvik_test
