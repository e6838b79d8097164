// The GDC datalog memory configuration reported by the device ("dk" reply): page counts per
// section, page size and the record's version. Datalog read requests and responses carry a copy.
#pragma once

#include <cstdint>

namespace devlib_instr {

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
};

// GDC datalog sections.
enum class GdcDatalogSection : uint32_t {
    Measurement = 0,
    Event = 1,
    Control = 2,
    Session = 3,
    Debug = 4,
    Diagnostic = 5
};

}  // namespace devlib_instr
