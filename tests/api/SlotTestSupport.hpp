// What the slot tests share: the table as a host sees it, and wide texts in and out.
#pragma once

#include <string>

#include "torvik/instrument_api.h"

namespace slot_test {

inline const InstrumentAPI& api() {
    return *GetInstrumentAPI();
}

// The text of a record or text slot; "<null>" for a null pointer.
inline std::u16string textOf(const InstrWChar* text) {
    return text == nullptr ? u"<null>" : std::u16string(reinterpret_cast<const char16_t*>(text));
}

inline const InstrWChar* wide(const char16_t* text) {
    return reinterpret_cast<const InstrWChar*>(text);
}

// A host reference on a new context, given up at the end of the scope.
struct ContextRef {
    ContextRef() : handle(api().contextAddRef(api().contextCreate())) {}
    ~ContextRef() { api().contextRelease(handle); }
    ContextRef(const ContextRef&) = delete;
    ContextRef& operator=(const ContextRef&) = delete;
    InstrContext* handle;
};

}  // namespace slot_test
