#include "sim/DatalogStore.hpp"

#include <algorithm>
#include <stdexcept>

namespace torvik::sim {

Bytes generatedPage(int section, uint32_t index, uint16_t pageSize) {
    Bytes page(pageSize);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(section * 37 + index * 11 + i * 7);
    // A small record head: section and page number, so a misplaced page is easy to spot.
    if (pageSize >= 3) {
        page[0] = static_cast<uint8_t>(section);
        page[1] = static_cast<uint8_t>(index);
        page[2] = static_cast<uint8_t>(index >> 8);
    }
    return page;
}

DatalogStore::DatalogStore(uint16_t pageSize) : pageSize_(pageSize) {}

DatalogStore::Section& DatalogStore::at(int section) {
    if (!validSection(section)) throw std::out_of_range("datalog section out of range");
    return sections_[static_cast<size_t>(section)];
}

const DatalogStore::Section& DatalogStore::at(int section) const {
    if (!validSection(section)) throw std::out_of_range("datalog section out of range");
    return sections_[static_cast<size_t>(section)];
}

void DatalogStore::setPageSize(uint16_t pageSize) {
    pageSize_ = pageSize;
    for (auto& section : sections_) {
        section.pages.clear();
        section.readPointer = 0;
    }
}

void DatalogStore::appendPage(int section, Bytes page) {
    page.resize(pageSize_, 0xFF);
    at(section).pages.push_back(std::move(page));
}

void DatalogStore::appendGeneratedPages(int section, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) appendPage(section, generatedPage(section, pageCount(section), pageSize_));
}

const std::vector<Bytes>& DatalogStore::pages(int section) const {
    return at(section).pages;
}

uint32_t DatalogStore::pageCount(int section) const {
    return static_cast<uint32_t>(at(section).pages.size());
}

uint32_t DatalogStore::readPointer(int section) const {
    return at(section).readPointer;
}

void DatalogStore::setReadPointer(int section, uint32_t page) {
    at(section).readPointer = std::min(page, pageCount(section));
}

void DatalogStore::moveReadPointerToEnd(int section) {
    at(section).readPointer = pageCount(section);
}

uint16_t DatalogStore::reportedPages(int section) const {
    const Section& s = at(section);
    return s.capacity ? *s.capacity : static_cast<uint16_t>(s.pages.size());
}

void DatalogStore::setCapacity(int section, std::optional<uint16_t> pages) {
    at(section).capacity = pages;
}

PageGroup DatalogStore::read(int section, bool fromBeginning, uint32_t requestIndex, uint32_t maxPages) const {
    const Section& s = at(section);
    uint64_t total = s.pages.size();
    uint64_t first = (fromBeginning ? 0 : s.readPointer) + uint64_t{requestIndex} * maxPages;
    first = std::min(first, total);
    uint64_t end = std::min(total, first + maxPages);
    PageGroup group;
    group.firstPage = static_cast<uint16_t>(first);
    group.pageCount = static_cast<uint32_t>(end - first);
    for (uint64_t i = first; i < end; ++i) {
        const Bytes& page = s.pages[static_cast<size_t>(i)];
        group.data.insert(group.data.end(), page.begin(), page.end());
    }
    return group;
}

void DatalogStore::clear() {
    for (auto& section : sections_) {
        section.pages.clear();
        section.readPointer = 0;
    }
}

}  // namespace torvik::sim
