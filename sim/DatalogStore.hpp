// The detector's GDC datalog: six sections (0 measurement, 1 event, 2 control, 3 session, 4 debug,
// 5 diagnostic) of fixed-size pages, each with a read pointer that marks where the new data starts.
// Reads are stateless: request k of a read-out returns the k-th group of at most `maxPages` pages
// counted from the beginning ("DM") or from the read pointer ("DN"); a group past the end is empty,
// which is how the device signals the end of a section.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/FrameCodec.hpp"

namespace torvik::sim {

constexpr int kDatalogSectionCount = 6;

struct PageGroup {
    uint16_t firstPage = 0;  // index of the first page in the group (the reply's page header)
    uint32_t pageCount = 0;
    Bytes data;  // the pages back to back
};

class DatalogStore {
public:
    explicit DatalogStore(uint16_t pageSize = 256);

    uint16_t pageSize() const { return pageSize_; }
    // Changes the page size; every section is emptied, since its pages no longer fit.
    void setPageSize(uint16_t pageSize);

    // Appends a page, padded with 0xFF or cut to the page size.
    void appendPage(int section, Bytes page);
    // Appends `count` generated pages whose bytes cover every value, 0x00 and 0x0D included.
    void appendGeneratedPages(int section, uint32_t count);
    const std::vector<Bytes>& pages(int section) const;
    uint32_t pageCount(int section) const;

    uint32_t readPointer(int section) const;
    void setReadPointer(int section, uint32_t page);  // clamped to the page count
    void moveReadPointerToEnd(int section);

    // The page number the memory configuration reports for the section: the capacity when one is
    // set, else the number of pages stored.
    uint16_t reportedPages(int section) const;
    void setCapacity(int section, std::optional<uint16_t> pages);

    PageGroup read(int section, bool fromBeginning, uint32_t requestIndex, uint32_t maxPages) const;

    // Empties every section and resets every read pointer ("DL").
    void clear();

    static bool validSection(int section) { return section >= 0 && section < kDatalogSectionCount; }

private:
    struct Section {
        std::vector<Bytes> pages;
        uint32_t readPointer = 0;
        std::optional<uint16_t> capacity;
    };
    Section& at(int section);
    const Section& at(int section) const;

    uint16_t pageSize_;
    std::array<Section, kDatalogSectionCount> sections_;
};

// The generated content of page `index` of a section (deterministic, so tests can compare).
Bytes generatedPage(int section, uint32_t index, uint16_t pageSize);

}  // namespace torvik::sim
