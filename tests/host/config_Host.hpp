// A host with one configuration on a device that is open on the simulated detector.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/HostSupport.hpp"
#include "sim/Simulator.hpp"
#include "torvik/instrument_api.h"

namespace config_host {

using host_test::LogCollector;
using host_test::narrow;
using host_test::Record;
using host_test::textOf;

class ConfigHost : public testing::Test {
protected:
    explicit ConfigHost(const std::string& exchangePolicy = host_test::fastLine) {
        context = host_test::createContext(api, exchangePolicy);
        api->contextSetLogCallback(context, &LogCollector::callback, &log);
        device = host_test::openDevice(api, context, sim.portPath());
        configuration = api->configurationAddRef(api->configurationCreate(device));
    }
    ~ConfigHost() override {
        api->configurationRelease(configuration);
        api->deviceRelease(device);
        api->contextRelease(context);
    }

    struct Outcome {
        bool ok;
        std::string text;
        Record err;  // category 99 when the slot gave no record
    };

    Outcome read(const std::string& request, uint32_t option = 0) {
        InstrByteArray* in = api->byteArrayAddRef(api->byteArrayCreateFromData(request.data(), request.size()));
        InstrByteArray* out = api->byteArrayAddRef(api->byteArrayCreate(0));
        InstrError* err = nullptr;
        Outcome outcome{api->configurationRead(configuration, in, option, out, &err), {}, take(err)};
        const uint8_t* data = api->byteArrayConstData(out);
        if (data != nullptr) outcome.text.assign(reinterpret_cast<const char*>(data), api->byteArraySize(out));
        api->byteArrayRelease(in);
        api->byteArrayRelease(out);
        return outcome;
    }
    nlohmann::json readJson(const std::string& request) {
        const Outcome outcome = read(request);
        EXPECT_TRUE(outcome.ok) << narrow(errorsText());
        return outcome.ok ? nlohmann::json::parse(outcome.text) : nlohmann::json();
    }

    Outcome write(const std::string& document) {
        InstrByteArray* in = api->byteArrayAddRef(api->byteArrayCreateFromData(document.data(), document.size()));
        InstrError* err = nullptr;
        Outcome outcome{api->configurationWrite(configuration, in, &err), {}, take(err)};
        api->byteArrayRelease(in);
        return outcome;
    }

    std::vector<Record> errors() { return host_test::errorList(api, api->configurationGetErrors, configuration); }
    std::u16string errorsText() {
        std::u16string text;
        for (const Record& r : errors()) text += r.message + u"\n";
        return text;
    }

    // The command codes the simulator has answered or ignored, in order ("H", "AR", ...).
    std::vector<std::string> commands() const {
        std::vector<std::string> codes;
        for (const std::string& frame : sim.requests()) codes.push_back(torvik::sim::DetectorModel::commandCode(frame));
        return codes;
    }

    torvik::sim::DatabaseImage database() {
        torvik::sim::DatabaseImage copy;
        sim.withModel([&](torvik::sim::DetectorModel& model) { copy = model.database; });
        return copy;
    }

    bool logged(int32_t level, const std::u16string& text) const { return log.contains(level, text); }

    Record take(InstrError*& err) { return host_test::takeRecord(api, err); }

    torvik::sim::Simulator sim;
    const InstrumentAPI* api = GetInstrumentAPI();
    InstrContext* context = nullptr;
    InstrDevice* device = nullptr;
    InstrConfiguration* configuration = nullptr;
    LogCollector log;
};

inline const std::string version = R"("version":"1.0.6")";

}  // namespace config_host
