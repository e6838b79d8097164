#include "api/ApiBoundary.hpp"

#include <algorithm>

namespace devlib_instr::api {

std::u16string standardExceptionText(const char* what) noexcept {
    try {
        return utf8ToUtf16(what != nullptr ? what : "");
    } catch (...) {
    }
    try {
        std::u16string bytes;
        for (const char* p = what; *p != 0; ++p) bytes.push_back(static_cast<unsigned char>(*p));
        return bytes;
    } catch (...) {
        return {};
    }
}

void report(InstrError** err, uint32_t category, uint32_t code, const std::u16string& message) noexcept {
    if (err != nullptr) *err = errorCreate(category, code, message.c_str());
}

uint32_t copyErrors(const std::vector<Error>& errors, InstrError** list, uint32_t capacity) {
    const size_t count = list != nullptr ? std::min<size_t>(errors.size(), capacity) : 0;
    for (size_t i = 0; i < count; ++i)
        list[i] = errorCreate(errors[i].category, errors[i].code, errors[i].message.c_str());
    return static_cast<uint32_t>(errors.size());
}

}  // namespace devlib_instr::api
