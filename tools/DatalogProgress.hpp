// What a running datalog read is doing, learnt from the library's log lines (the C table gives
// only a fraction): the section being read, its pages so far and their rate, and whether the
// reader has reached the last step, marking the new data as read on the detector.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace torvik::cli {

class DatalogProgress {
public:
    using Clock = std::chrono::steady_clock;

    // One library log line (any thread).
    void hear(const std::string& line);

    // "measurement: 12 pages, 3.1 pages/s", or "waiting for the detector..." while nothing has come
    // for a while; "marking the new data as read..." at the end.
    std::string status(Clock::time_point now) const;
    // Pages read of the sections that hold new data (all but the session section).
    uint32_t dataPages() const;
    // The archive is complete and the reader is moving the detector's read pointers.
    bool marking() const;

private:
    mutable std::mutex mutex_;
    int section_ = -1;
    uint32_t sectionPages_ = 0;
    uint32_t dataPages_ = 0;
    bool marking_ = false;
    Clock::time_point sectionStart_ = Clock::now();
    Clock::time_point lastHeard_ = Clock::now();
};

}  // namespace torvik::cli
