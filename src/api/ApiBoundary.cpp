#include "api/ApiBoundary.hpp"

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

}  // namespace devlib_instr::api
