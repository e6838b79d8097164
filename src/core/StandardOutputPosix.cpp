// Standard output on POSIX: UTF-8 bytes on file descriptor 1. The C stream stdout is only
// flushed, never written: a write through it would give it a byte orientation, after which a
// host's wide output (wprintf, std::wcout) is lost, and a stream the host has made wide would
// drop the library's bytes.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "core/StandardOutput.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

void writeStandardOutput(std::u16string_view text) {
    const std::string bytes = toUtf8(text);
    std::fflush(stdout);
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        done += static_cast<size_t>(written);
    }
}

}  // namespace devlib_instr
