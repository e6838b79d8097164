// A host that reads the GDC datalog of the simulated detector through the C table, and reads the
// archive back with minizip's unzip.h.
#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/HostApi.hpp"
#include "support/ZipReading.hpp"

namespace torvik_test {

class DatalogHost : public SimulatedHost {
protected:
    explicit DatalogHost(const std::string& policy = fastLine) : SimulatedHost(policy), reader(device) {
        static std::atomic<int> hosts{0};  // hosts may run side by side
        path = (std::filesystem::temp_directory_path() /
                ("torvik-" + std::to_string(getpid()) + "-" + std::to_string(++hosts) + ".zip"))
                   .string();
        std::filesystem::remove(path);
        api->gdcDatalogReaderSetOutputPath(reader.get(), torvik::text::toWide(path).c_str());
    }
    ~DatalogHost() override { std::filesystem::remove(path); }

    void select(std::initializer_list<uint32_t> options) {
        for (uint32_t option : options) api->gdcDatalogReaderSetSectionSelected(reader.get(), option, 1);
    }

    // The record the start slot left; none when the read started.
    std::optional<torvik::ErrorRecord> start() {
        InstrError* err = nullptr;
        const bool started = api->gdcDatalogReaderStart(reader.get(), &err);
        std::optional<torvik::ErrorRecord> record = torvik::takeRecord(err);
        EXPECT_EQ(started, !record) << testing::PrintToString(record);
        return record;
    }

    // Starts, polls the progress until the run has finished, and returns the values seen.
    std::vector<double> runToEnd() {
        EXPECT_EQ(start(), std::nullopt);
        std::vector<double> seen;
        for (bool finished = false; !finished;) {
            finished = api->gdcDatalogReaderIsFinished(reader.get());
            double progress = -1;
            api->gdcDatalogReaderGetProgress(reader.get(), &progress);
            seen.push_back(progress);
            if (!finished) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(api->gdcDatalogReaderWait(reader.get(), -1));
        return seen;
    }
    bool succeeded() { return api->gdcDatalogReaderSucceeded(reader.get()); }

    std::vector<torvik::ErrorRecord> errors() const { return reader.errors(); }

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

    torvik::DatalogReader reader;
    std::string path;
};

}  // namespace torvik_test
