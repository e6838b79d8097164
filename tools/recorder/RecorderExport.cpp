// The wire recorder for hosts that cannot install a C++ serial-link factory themselves (the Python
// binding, through ctypes): plain C entries that put the tool's recording link (RecordingLink.hpp)
// over the tool's serial link on a context. The same code records for `torvik --record`.
#include <cstdio>
#include <memory>
#include <string>

#include "../RecordingLink.hpp"
#include "../SerialLink.hpp"

namespace {

struct Recorder {
    Recorder(const char* path, const char* recorder) : recording(links, path, recorder) {}
    torvik::cli::LinkFactory links;
    torvik::cli::RecordingFactory recording;
};

}  // namespace

extern "C" {

// Installs a recorder writing the trace `path` on `context`, before the host opens a port there.
// Returns the recorder, or null with the reason in `error` (a text of `errorSize` bytes at most).
__attribute__((visibility("default"))) void* torvikRecorderStart(InstrContext* context, const char* path,
                                                                 const char* recorder, char* error, size_t errorSize) {
    try {
        auto started = std::make_unique<Recorder>(path, recorder);
        devlib_instr::SetUARTInterfaceFactory(context, &started->recording);
        return started.release();
    } catch (const std::exception& e) {
        if (error != nullptr && errorSize > 0) std::snprintf(error, errorSize, "%s", e.what());
        return nullptr;
    }
}

// Restores the library's own serial link on `context` and closes the trace. Close the device's
// port first: its link writes to the trace until it closes.
__attribute__((visibility("default"))) void torvikRecorderStop(InstrContext* context, void* recorder) {
    if (recorder == nullptr) return;
    devlib_instr::SetUARTInterfaceFactory(context, nullptr);
    delete static_cast<Recorder*>(recorder);
}
}
