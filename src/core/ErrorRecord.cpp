#include "core/ErrorRecord.hpp"

#include <new>
#include <string>

namespace devlib_instr {
namespace {

// A heap copy of a null-terminated text, or null when the allocation fails.
InstrWChar* copyText(std::u16string_view text) {
    auto* copy = new (std::nothrow) InstrWChar[text.size() + 1];
    if (copy == nullptr) return nullptr;
    for (size_t i = 0; i < text.size(); ++i) copy[i] = static_cast<InstrWChar>(text[i]);
    copy[text.size()] = 0;
    return copy;
}

std::u16string_view viewOf(const InstrWChar* text) {
    if (text == nullptr) return {};
    return std::u16string_view(reinterpret_cast<const char16_t*>(text));
}

}  // namespace

InstrError* errorCreate(uint32_t category, uint32_t code, const char16_t* message) {
    auto* record = new (std::nothrow) InstrError{category, code, nullptr};
    if (record == nullptr || message == nullptr) return record;
    record->message = copyText(message);
    if (record->message != nullptr) return record;
    delete record;
    return nullptr;
}

void errorDelete(InstrError* e) {
    if (e == nullptr) return;
    delete[] e->message;
    delete e;
}

void errorFree(InstrError** pe) {
    if (pe == nullptr || *pe == nullptr) return;
    errorDelete(*pe);
    *pe = nullptr;
}

void errorSet(InstrError** out, uint32_t category, uint32_t code, const char16_t* message) {
    if (out != nullptr) *out = errorCreate(category, code, message);
}

void errorPass(InstrError** out, InstrError* e) {
    if (out != nullptr) {
        *out = e;
        return;
    }
    errorDelete(e);
}

void errorPrependText(InstrError** pe, const char16_t* text) {
    if (pe == nullptr || *pe == nullptr || text == nullptr) return;
    std::u16string joined;
    try {
        joined = std::u16string(text) + std::u16string(viewOf((*pe)->message));
    } catch (...) {
        return;
    }
    InstrWChar* copy = copyText(joined);
    if (copy == nullptr) return;
    delete[](*pe)->message;
    (*pe)->message = copy;
}

void errorPassWithText(InstrError** out, InstrError* e, const char16_t* text) {
    if (out == nullptr) {
        errorDelete(e);
        return;
    }
    *out = e;
    errorPrependText(out, text);
}

}  // namespace devlib_instr
