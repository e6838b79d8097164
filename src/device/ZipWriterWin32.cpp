// The archive writer on Windows: the library's own stored-entry writer (no minizip is packaged for
// the Windows build).
#include "device/StoredZipWriter.hpp"

namespace devlib_instr {

std::unique_ptr<AbstractZipWriter> makeZipWriter() {
    return std::make_unique<StoredZipWriter>();
}

}  // namespace devlib_instr
