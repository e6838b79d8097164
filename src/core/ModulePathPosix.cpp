#include <unistd.h>

#include <stdexcept>
#include <string>

#include "core/ModulePath.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

// Linux names the running program's file in /proc/self/exe.
std::u16string hostExecutableDirectory() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) return {};
    path.resize(static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    path.resize(slash);
    try {
        return utf8ToUtf16(path);
    } catch (const std::range_error&) {
        return widen(path);  // not UTF-8: keep the bytes as they are
    }
}

}  // namespace devlib_instr
