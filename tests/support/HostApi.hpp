// What a host sees through the C table and torvik.hpp: the line settings of the host tests, wide
// texts, and a fixture holding a context with a device open on the simulated detector. Error
// records are torvik::ErrorRecord (UTF-8 messages); torvik::takeRecord reads the one a slot leaves.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/Simulator.hpp"
#include "support/EnvironmentGuard.hpp"
#include "support/LogCollector.hpp"
#include "torvik/torvik.hpp"

namespace torvik_test {

inline const InstrumentAPI& api() {
    return *GetInstrumentAPI();
}

// No pauses on the line and fast state polls (the build's test setting). Reply time-outs stay the
// protocol's, so a reply that comes late on a loaded machine is no retry.
inline const std::string fastLine = TORVIK_TEST_FAST_LINE;
// For a device that stops answering: short reply time-outs and two attempts.
inline const std::string shortReplies = fastLine + ",reply_timeout_ms=100,attempts=2";

// A wide text of the C table (null gives "").
inline std::u16string textOf(const InstrWChar* text) {
    return text != nullptr ? std::u16string(text) : std::u16string();
}

// For a failure message: the first record's message ("" for none).
inline std::string firstError(const std::vector<torvik::ErrorRecord>& records) {
    return records.empty() ? "" : records[0].message;
}

// A context with the exchange timing `policy` (the library reads it when a context is made); an
// empty policy takes TORVIK_EXCHANGE_POLICY as it is set.
inline torvik::Context contextWith(const std::string& policy) {
    std::optional<EnvironmentGuard> setting;
    if (!policy.empty()) setting.emplace("TORVIK_EXCHANGE_POLICY", policy);
    return torvik::Context();
}

// A host whose context logs into `log` (UTF-8), with its device open on the simulator's port.
class SimulatedHost : public testing::Test {
protected:
    explicit SimulatedHost(const std::string& policy, torvik::sim::LineOptions line = {})
        : sim(line), context(contextWith(policy)), device(context) {
        context.setLogCallback(log.function());
        device.open(sim.portPath());
    }

    // The command codes the simulator received, in order ("H", "AR", ...; "DP0" with its section).
    std::vector<std::string> commands() const {
        std::vector<std::string> codes;
        for (const std::string& frame : sim.requests()) {
            std::string code = torvik::sim::DetectorModel::commandCode(frame);
            if (code == "DP") code.append(frame, 2, 1);  // appended: GCC 12 -O3 flags code + substr (-Wrestrict)
            codes.push_back(code);
        }
        return codes;
    }
    size_t count(const std::string& code) const {
        const std::vector<std::string> codes = commands();
        return static_cast<size_t>(std::count(codes.begin(), codes.end(), code));
    }
    bool logged(int32_t level, const std::string& text) const { return log.contains(level, text); }

    std::vector<uint32_t> readPointers() {
        std::vector<uint32_t> pointers;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            for (int section = 0; section < 6; ++section) pointers.push_back(model.datalog.readPointer(section));
        });
        return pointers;
    }
    // No read pointer moved, no move was asked for and no archive is left under either name.
    void expectNothingLeft(const std::string& archive, const std::vector<uint32_t>& pointersBefore) {
        EXPECT_FALSE(std::filesystem::exists(archive));
        EXPECT_FALSE(std::filesystem::exists(archive + ".partial"));
        EXPECT_EQ(readPointers(), pointersBefore);
        for (const std::string& code : commands()) EXPECT_FALSE(code.starts_with("DP")) << code;
    }

    torvik::sim::Simulator sim;
    const InstrumentAPI* api = GetInstrumentAPI();
    LogCollector<std::string> log;  // outlives the owners that log into it
    torvik::Context context;
    torvik::Device device;
};

}  // namespace torvik_test
