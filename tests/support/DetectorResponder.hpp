// Replies of the simulator's detector model in this process for a MemoryLink (no pty, no thread):
// every frame is answered at once by the model, through an optional filter that may change the
// reply on its way (a fault on the line).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "sim/DetectorModel.hpp"
#include "support/MemoryLink.hpp"

namespace torvik_test {

// Given the request frame (without its CR) and the model's reply, returns what the line carries.
using ReplyFilter = std::function<std::string(std::string_view request, std::string reply)>;

// The model must outlive the links that use the responder; `echo` makes it a half-duplex line.
inline MemoryLink::Responder detectorResponder(torvik::sim::DetectorModel& model, ReplyFilter filter, bool echo) {
    return [&model, filter = std::move(filter), echo](std::string_view frame) {
        if (!frame.empty() && frame.back() == torvik::sim::kFrameEnd) frame.remove_suffix(1);
        std::string reply = model.answer(frame).reply;
        return MemoryLink::Reply{.bytes = filter ? filter(frame, std::move(reply)) : std::move(reply), .echo = echo};
    };
}

}  // namespace torvik_test
