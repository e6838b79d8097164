// A host that reads the GDC datalog of the simulated detector through the C table, and reads the
// archive back with minizip's unzip.h.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/HostSupport.hpp"
#include "sim/Simulator.hpp"
#include "support/EnvironmentGuard.hpp"
#include "support/ZipReading.hpp"
#include "torvik/instrument_api.h"

namespace datalog_host {

using host_test::LogCollector;
using host_test::narrow;
using host_test::Record;
using host_test::textOf;

inline std::u16string wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}
inline const InstrWChar* hostText(const std::u16string& text) {
    return reinterpret_cast<const InstrWChar*>(text.c_str());
}

using ScopedEnvironment = torvik_test::EnvironmentGuard;

class DatalogHost : public testing::Test {
protected:
    explicit DatalogHost(const std::string& exchangePolicy = host_test::fastLine) {
        context = host_test::createContext(api, exchangePolicy);
        api->contextSetLogCallback(context, &LogCollector::callback, &log);
        device = host_test::openDevice(api, context, sim.portPath());
        reader = api->gdcDatalogReaderAddRef(api->gdcDatalogReaderCreate(context));
        api->gdcDatalogReaderSetDevice(reader, device);
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        path = (std::filesystem::temp_directory_path() /
                ("torvik-datalog-" + std::to_string(getpid()) + "-" + name + ".zip"))
                   .string();
        std::filesystem::remove(path);
        api->gdcDatalogReaderSetOutputPath(reader, hostText(wide(path)));
    }
    ~DatalogHost() override {
        if (reader != nullptr) api->gdcDatalogReaderRelease(reader);
        if (device != nullptr) api->deviceRelease(device);
        if (context != nullptr) api->contextRelease(context);
        std::filesystem::remove(path);
    }

    void select(std::initializer_list<uint32_t> options) {
        for (uint32_t option : options) api->gdcDatalogReaderSetSectionSelected(reader, option, 1);
    }

    Record start() {
        InstrError* err = nullptr;
        const bool started = api->gdcDatalogReaderStart(reader, &err);
        Record record = take(err);
        EXPECT_EQ(started, record.category == 99) << narrow(record.message);
        return record;
    }

    // Starts, polls the progress until the run has finished, and returns the values seen.
    std::vector<double> runToEnd() {
        EXPECT_EQ(start().category, 99u);
        std::vector<double> seen;
        while (!api->gdcDatalogReaderIsFinished(reader)) {
            double progress = -1;
            api->gdcDatalogReaderGetProgress(reader, &progress);
            seen.push_back(progress);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(api->gdcDatalogReaderWait(reader, -1));
        double progress = -1;
        api->gdcDatalogReaderGetProgress(reader, &progress);
        seen.push_back(progress);
        return seen;
    }

    std::vector<Record> errors() { return host_test::errorList(api, api->gdcDatalogReaderGetErrors, reader); }

    Record take(InstrError*& err) { return host_test::takeRecord(api, err); }

    // The command codes the simulator received, in order, with the payload of "DP" requests.
    std::vector<std::string> commands() const {
        std::vector<std::string> codes;
        for (const std::string& frame : sim.requests()) {
            std::string code = torvik::sim::DetectorModel::commandCode(frame);
            if (code == "DP") code += frame.substr(2, 1);
            codes.push_back(code);
        }
        return codes;
    }

    // The bytes of a section as stored on the device, from `firstPage` on.
    std::string sectionBytes(int section, uint32_t firstPage) {
        std::string bytes;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            const auto& pages = model.datalog.pages(section);
            for (size_t i = firstPage; i < pages.size(); ++i) bytes.append(pages[i].begin(), pages[i].end());
        });
        return bytes;
    }
    uint32_t sectionPageCount(int section) {
        uint32_t pages = 0;
        sim.withModel([&](torvik::sim::DetectorModel& model) { pages = model.datalog.pageCount(section); });
        return pages;
    }
    std::vector<uint32_t> readPointers() {
        std::vector<uint32_t> pointers;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            for (int section = 0; section < 6; ++section) pointers.push_back(model.datalog.readPointer(section));
        });
        return pointers;
    }
    uint32_t firstPageHeader(int section, bool fromBeginning) {
        uint32_t header = 0;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            header = model.datalog.read(section, fromBeginning, 0, model.datalogOptions.maxPagesPerReply).firstPage;
        });
        return header;
    }

    bool logged(int32_t level, const std::u16string& text) const { return log.contains(level, text); }

    torvik::sim::Simulator sim;
    const InstrumentAPI* api = GetInstrumentAPI();
    InstrContext* context = nullptr;
    InstrDevice* device = nullptr;
    InstrGdcDatalogReader* reader = nullptr;
    std::string path;
    LogCollector log;
};

}  // namespace datalog_host
