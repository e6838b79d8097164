// Writes a ZIP archive of stored (uncompressed) entries, one implementation per platform: minizip
// on Linux, the library's own stored-entry writer on Windows (where no minizip is packaged).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/StagedFile.hpp"

namespace devlib_instr {

class AbstractZipWriter {
public:
    virtual ~AbstractZipWriter() = default;
    // Starts an archive at the beginning of `file`, which must stay alive until close(); false on
    // failure.
    virtual bool open(StagedFile& file) = 0;
    // Adds one stored entry (compression method 0) with the given modification time; false on failure.
    virtual bool addEntry(const std::string& name, const std::vector<uint8_t>& data, std::time_t modified) = 0;
    // Writes the central directory; false on failure. The file is the caller's to publish.
    virtual bool close() = 0;
};

// The platform's writer.
std::unique_ptr<AbstractZipWriter> makeZipWriter();

}  // namespace devlib_instr
