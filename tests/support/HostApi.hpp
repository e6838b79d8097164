// What a host sees through the C table: error records and wide texts, and a fixture holding a
// context with a device open on the simulated detector.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/Simulator.hpp"
#include "support/EnvironmentGuard.hpp"
#include "support/LogCollector.hpp"
#include "torvik/instrument_api.h"

namespace torvik_test {

inline const InstrumentAPI& api() {
    return *GetInstrumentAPI();
}

// No pauses on the line and fast state polls (the build's test setting). Reply time-outs stay the
// protocol's, so a reply that comes late on a loaded machine is no retry.
inline const std::string fastLine = TORVIK_TEST_FAST_LINE;
// For a device that stops answering: short reply time-outs and two attempts.
inline const std::string shortReplies = fastLine + ",reply_timeout_ms=100,attempts=2";

inline std::u16string textOf(const InstrWChar* text) {
    return text != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}
// A text as the C table takes it (null stays null; a std::u16string passes its c_str()).
inline const InstrWChar* hostText(const char16_t* text) {
    return reinterpret_cast<const InstrWChar*>(text);
}
inline std::string narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}
inline std::u16string wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

struct Record {
    uint32_t category;
    uint32_t code;
    std::u16string message;
    bool operator==(const Record&) const = default;
};
inline void PrintTo(const Record& r, std::ostream* out) {
    *out << r.category << "/" << r.code << " \"" << narrow(r.message) << "\"";
}

// The record in err (category 99 when there is none); frees it.
inline Record takeRecord(InstrError*& err) {
    Record record{99, 0, {}};
    if (err != nullptr) record = {err->category, err->code, textOf(err->message)};
    api().errorFree(&err);
    return record;
}

// The records of an error-list slot, each taken and freed. The slot gives the list's length
// whatever the capacity, and copies no further than the list and the capacity go.
template <class Handle>
std::vector<Record> errorList(uint32_t (*getErrors)(Handle*, InstrError**, uint32_t), Handle* handle) {
    InstrError* none = nullptr;
    const uint32_t count = getErrors(handle, &none, 0);
    EXPECT_EQ(none, nullptr);
    std::vector<InstrError*> list(count + 1, nullptr);
    EXPECT_EQ(getErrors(handle, list.data(), count + 1), count);
    EXPECT_EQ(list.back(), nullptr);
    list.pop_back();
    std::vector<Record> records;
    for (InstrError* e : list) records.push_back(takeRecord(e));
    return records;
}

// A host reference on a new context, given up at the end of the scope.
struct ContextRef {
    ContextRef() : handle(api().contextAddRef(api().contextCreate())) {}
    ~ContextRef() { api().contextRelease(handle); }
    ContextRef(const ContextRef&) = delete;
    ContextRef& operator=(const ContextRef&) = delete;
    InstrContext* handle;
};

// A host reference on a new byte array, given up at the end of the scope.
struct ArrayRef {
    explicit ArrayRef(InstrByteArray* created) : handle(api().byteArrayAddRef(created)) {}
    explicit ArrayRef(const std::string& text) : ArrayRef(api().byteArrayCreateFromData(text.data(), text.size())) {}
    ~ArrayRef() { api().byteArrayRelease(handle); }
    ArrayRef(const ArrayRef&) = delete;
    ArrayRef& operator=(const ArrayRef&) = delete;
    InstrByteArray* handle;
};

// A host with a context that logs into `log` and a device open on the simulator's port.
class SimulatedHost : public testing::Test {
protected:
    // An empty policy takes TORVIK_EXCHANGE_POLICY as it is set.
    explicit SimulatedHost(const std::string& policy) {
        std::optional<EnvironmentGuard> setting;
        if (!policy.empty()) setting.emplace("TORVIK_EXCHANGE_POLICY", policy);
        context = api->contextAddRef(api->contextCreate());
        api->contextSetLogCallback(context, &LogCollector::callback, &log);
        device = api->deviceAddRef(api->deviceCreate(context));
        InstrError* err = nullptr;
        EXPECT_TRUE(api->deviceOpen(device, sim.portPath().c_str(), &err));
        api->errorFree(&err);
    }
    ~SimulatedHost() override {
        if (device != nullptr) api->deviceRelease(device);
        if (context != nullptr) api->contextRelease(context);
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
    bool logged(int32_t level, const std::u16string& text) const { return log.contains(level, text); }

    // The error list of the object under test.
    virtual std::vector<Record> errors() = 0;
    std::string firstError() {
        const std::vector<Record> list = errors();
        return list.empty() ? "" : narrow(list[0].message);
    }

    torvik::sim::Simulator sim;
    const InstrumentAPI* api = GetInstrumentAPI();
    LogCollector log;
    InstrContext* context = nullptr;
    InstrDevice* device = nullptr;
};

}  // namespace torvik_test
