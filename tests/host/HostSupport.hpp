// What the host tests share: error records and texts as a host sees them, and the log lines a
// context delivered to the host's callback.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "support/EnvironmentGuard.hpp"
#include "support/LogCollector.hpp"
#include "torvik/instrument_api.h"

namespace host_test {

// The exchange timing of the host tests (the build's test setting): no pauses on the line and fast
// state polls. Reply time-outs stay the protocol's, so a reply that comes late on a loaded machine
// is no retry.
inline const std::string fastLine = TORVIK_TEST_FAST_LINE;
// For a device that stops answering: short reply time-outs and two attempts.
inline const std::string shortReplies = fastLine + ",reply_timeout_ms=30,attempts=2";

// A referenced context whose exchanges are timed by `policy` (TORVIK_EXCHANGE_POLICY).
inline InstrContext* createContext(const InstrumentAPI* api, const std::string& policy) {
    torvik_test::EnvironmentGuard setting("TORVIK_EXCHANGE_POLICY", policy);
    return api->contextAddRef(api->contextCreate());
}

struct Record {
    uint32_t category;
    uint32_t code;
    std::u16string message;
    bool operator==(const Record&) const = default;
};

inline std::u16string textOf(const InstrWChar* text) {
    return text != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

inline std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// The record in err as a Record (category 99 when there is none); frees it.
inline Record takeRecord(const InstrumentAPI* api, InstrError*& err) {
    Record record{99, 0, {}};
    if (err != nullptr) record = {err->category, err->code, textOf(err->message)};
    api->errorFree(&err);
    return record;
}

// The records of an error-list slot (72 or 107), each taken and freed.
template <class Handle>
std::vector<Record> errorList(const InstrumentAPI* api, uint32_t (*getErrors)(Handle*, InstrError**, uint32_t),
                              Handle* handle) {
    const uint32_t count = getErrors(handle, nullptr, 0);
    std::vector<InstrError*> list(count, nullptr);
    EXPECT_EQ(getErrors(handle, list.data(), count), count);
    std::vector<Record> records;
    for (InstrError* e : list) records.push_back(takeRecord(api, e));
    return records;
}

// A referenced device of the context, open on the port (the simulator's).
inline InstrDevice* openDevice(const InstrumentAPI* api, InstrContext* context, const std::string& port) {
    InstrDevice* device = api->deviceAddRef(api->deviceCreate(context));
    InstrError* err = nullptr;
    EXPECT_TRUE(api->deviceOpen(device, port.c_str(), &err));
    api->errorFree(&err);
    return device;
}

using torvik_test::LogCollector;

}  // namespace host_test
