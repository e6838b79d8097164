#include "DatalogProgress.hpp"

#include <array>
#include <cstdio>
#include <string_view>

namespace torvik::cli {

namespace {

// The datalog's sections by the number its log lines give: the session section holds no new data.
constexpr std::array<std::string_view, 6> sectionNames{"measurement", "event", "control",
                                                       "session",     "debug", "diagnostic"};
constexpr int sessionSection = 3;

std::string_view sectionName(int section) {
    return section >= 0 && section < static_cast<int>(sectionNames.size()) ? sectionNames[static_cast<size_t>(section)]
                                                                           : "section";
}

// The reader's log lines, as the library words them ("{}" the number).
constexpr std::string_view readingAll = "Reading _all_ GDC datalog data for section ";
constexpr std::string_view readingNew = "Reading _new_ GDC datalog data for section ";
constexpr std::string_view received = "Received ";
constexpr std::string_view receivedSection = " page(s) for section ";
constexpr std::string_view moving = "Moving read pointer of GDC datalog for section ";

// Quiet for this long, the line is shown as a wait for the detector.
constexpr auto quietAfter = std::chrono::seconds(2);

// The leading decimal number of `text` (0 when there is none).
uint32_t leadingNumber(std::string_view text) {
    uint32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    return number;
}

}  // namespace

void DatalogProgress::hear(const std::string& line) {
    std::lock_guard lock(mutex_);
    lastHeard_ = Clock::now();
    std::string_view text = line;
    if (text.starts_with(readingAll) || text.starts_with(readingNew)) {
        section_ = static_cast<int>(leadingNumber(text.substr(readingAll.size())));
        sectionPages_ = 0;
        sectionStart_ = lastHeard_;
    } else if (text.starts_with(received) && text.find(receivedSection) != std::string_view::npos) {
        uint32_t pages = leadingNumber(text.substr(received.size()));
        sectionPages_ += pages;
        if (section_ != sessionSection) dataPages_ += pages;
    } else if (text.starts_with(moving)) {
        marking_ = true;
    }
}

std::string DatalogProgress::status(Clock::time_point now) const {
    std::lock_guard lock(mutex_);
    if (marking_) return "marking the new data as read...";
    if (now - lastHeard_ >= quietAfter) return "waiting for the detector...";
    if (section_ < 0) return "asking the detector...";
    if (sectionPages_ == 0) return std::string(sectionName(section_)) + ": 0 pages";
    double seconds = std::chrono::duration<double>(now - sectionStart_).count();
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), "%s: %u pages, %.1f pages/s", sectionName(section_).data(), sectionPages_,
                  seconds > 0 ? sectionPages_ / seconds : 0.0);
    return text.data();
}

uint32_t DatalogProgress::dataPages() const {
    std::lock_guard lock(mutex_);
    return dataPages_;
}

bool DatalogProgress::marking() const {
    std::lock_guard lock(mutex_);
    return marking_;
}

}  // namespace torvik::cli
