// Writes a ZIP archive of stored (uncompressed) entries, one implementation per platform: minizip
// on Linux, the library's own stored-entry writer on Windows (where no minizip is packaged).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace devlib_instr {

class AbstractZipWriter {
public:
    virtual ~AbstractZipWriter() = default;
    // Creates (or truncates) the archive at the UTF-8 path; false on failure.
    virtual bool open(const std::string& utf8Path) = 0;
    // Adds one stored entry (compression method 0) with the given modification time; false on failure.
    virtual bool addEntry(const std::string& name, const std::vector<uint8_t>& data, std::time_t modified) = 0;
    // Writes the central directory and closes the file; false on failure.
    virtual bool close() = 0;
};

// The platform's writer.
std::unique_ptr<AbstractZipWriter> makeZipWriter();

}  // namespace devlib_instr
