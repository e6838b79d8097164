// The GDC datalog's sections, and its memory configuration reported by the device ("dk" reply):
// page counts per section, page size and the record's version. Datalog read requests and
// responses carry a copy.
#pragma once

#include <cstdint>

namespace devlib_instr {

// GDC datalog sections, numbered as on the wire, in the archive and in logs.
enum class GdcDatalogSection : int32_t {
    Measurement = 0,
    Event = 1,
    Control = 2,
    Session = 3,
    Debug = 4,
    Diagnostic = 5
};

struct DatalogMemoryConfiguration {
    uint32_t value0 = 0;
    uint32_t value1 = 0;
    uint32_t value2 = 0;
    uint32_t value3 = 0;
    uint32_t value4 = 0;
    uint32_t pageSize = 0;        // bytes per datalog page
    uint32_t controlVersion = 0;  // the record's version
    uint32_t versionByte2 = 0;    // second byte of a version 3 record

    bool operator==(const DatalogMemoryConfiguration&) const = default;

    // The number of pages the record reports for a section (0 for control and diagnostic data,
    // whose counts it does not carry by these names).
    uint32_t pagesOf(GdcDatalogSection section) const {
        switch (section) {
            case GdcDatalogSection::Measurement:
                return value0;
            case GdcDatalogSection::Event:
                return value1;
            case GdcDatalogSection::Session:
                return value3;
            case GdcDatalogSection::Debug:
                return value4;
            default:
                return 0;
        }
    }
};

}  // namespace devlib_instr
