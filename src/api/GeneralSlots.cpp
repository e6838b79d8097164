// General slots: availability and the library's one-entry text table.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr::api {

namespace {
constexpr uint32_t textEntryCategory = static_cast<uint32_t>(ErrorCategory::InstrDevice);
constexpr char16_t emptyText[] = u"";

const InstrWChar* toHostText(const char16_t* text) {
    return reinterpret_cast<const InstrWChar*>(text);
}
}  // namespace

int32_t isApiAvailable(void) noexcept {
    return 1;
}

// Entry 0 is "Unable to connect to serial device." (category InstrDevice, number 0, no detail);
// the texts are static and must not be freed by the caller.
int32_t getTextEntry(uint32_t index, const InstrWChar** category, const InstrWChar** text, uint32_t* number,
                     const InstrWChar** detail) noexcept {
    if (index != 0) return 0;
    if (category != nullptr) *category = toHostText(categoryNames[textEntryCategory]);
    if (text != nullptr) *text = toHostText(msg::unableToConnect);
    if (number != nullptr) *number = 0;
    if (detail != nullptr) *detail = toHostText(emptyText);
    return 1;
}

}  // namespace devlib_instr::api
