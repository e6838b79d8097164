// A host that reads the GDC datalog of the simulated detector through the C table, and reads the
// archive back with minizip's unzip.h.
#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/HostApi.hpp"
#include "support/ZipReading.hpp"

namespace torvik_test {

class DatalogHost : public SimulatedHost {
protected:
    explicit DatalogHost(const std::string& policy = fastLine) : SimulatedHost(policy) {
        reader = api->gdcDatalogReaderAddRef(api->gdcDatalogReaderCreate(context));
        api->gdcDatalogReaderSetDevice(reader, device);
        static std::atomic<int> hosts{0};  // hosts may run side by side
        path = (std::filesystem::temp_directory_path() /
                ("torvik-" + std::to_string(getpid()) + "-" + std::to_string(++hosts) + ".zip"))
                   .string();
        std::filesystem::remove(path);
        api->gdcDatalogReaderSetOutputPath(reader, hostText(wide(path).c_str()));
    }
    ~DatalogHost() override {
        if (reader != nullptr) api->gdcDatalogReaderRelease(reader);
        std::filesystem::remove(path);
    }

    void select(std::initializer_list<uint32_t> options) {
        for (uint32_t option : options) api->gdcDatalogReaderSetSectionSelected(reader, option, 1);
    }

    Record start() {
        InstrError* err = nullptr;
        const bool started = api->gdcDatalogReaderStart(reader, &err);
        Record record = takeRecord(err);
        EXPECT_EQ(started, record.category == 99) << narrow(record.message);
        return record;
    }

    // Starts, polls the progress until the run has finished, and returns the values seen.
    std::vector<double> runToEnd() {
        EXPECT_EQ(start().category, 99u);
        std::vector<double> seen;
        for (bool finished = false; !finished;) {
            finished = api->gdcDatalogReaderIsFinished(reader);
            double progress = -1;
            api->gdcDatalogReaderGetProgress(reader, &progress);
            seen.push_back(progress);
            if (!finished) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(api->gdcDatalogReaderWait(reader, -1));
        return seen;
    }
    bool succeeded() { return api->gdcDatalogReaderSucceeded(reader); }

    std::vector<Record> errors() override { return errorList(api->gdcDatalogReaderGetErrors, reader); }

    // The bytes of a section as stored on the device, from `firstPage` on.
    std::string sectionBytes(int section, uint32_t firstPage) {
        std::string bytes;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            const auto& pages = model.datalog.pages(section);
            for (size_t i = firstPage; i < pages.size(); ++i) bytes.append(pages[i].begin(), pages[i].end());
        });
        return bytes;
    }
    uint32_t pageCount(int section) {
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
    // No read pointer moved, no move was asked for and no archive is left.
    void expectNothingLeft(const std::vector<uint32_t>& pointersBefore) {
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(readPointers(), pointersBefore);
        for (const std::string& code : commands()) EXPECT_FALSE(code.starts_with("DP")) << code;
    }

    InstrGdcDatalogReader* reader = nullptr;
    std::string path;
};

}  // namespace torvik_test
