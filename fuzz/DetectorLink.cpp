#include "DetectorLink.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

namespace torvik_fuzz {

DetectorLink::DetectorLink(torvik::sim::DetectorModel& model, ReplyFilter filter, bool echo,
                           const devlib_instr::AbstractClock& clock)
    : AbstractUartInterface("detector", 115200), model_(model), filter_(std::move(filter)), echo_(echo), clock_(clock) {
    open();
}

uint32_t DetectorLink::writeBytes(const uint8_t* data, uint32_t size) {
    std::string_view frame(reinterpret_cast<const char*>(data), size);
    if (echo_) pending_ += frame;
    if (!frame.empty() && frame.back() == torvik::sim::kFrameEnd) frame.remove_suffix(1);
    std::string reply = model_.answer(frame).reply;
    pending_ += filter_ ? filter_(frame, std::move(reply)) : std::move(reply);
    return size;
}

uint32_t DetectorLink::readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
    if (size > 0 && pending_.empty()) clock_.sleepFor(std::chrono::milliseconds(timeoutMs));
    const size_t count = std::min<size_t>(size, pending_.size());
    std::copy_n(pending_.begin(), count, buffer);
    pending_.erase(0, count);
    return static_cast<uint32_t>(count);
}

}  // namespace torvik_fuzz
