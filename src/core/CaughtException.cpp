#include "core/CaughtException.hpp"

#include <exception>
#include <string>

#include "torvik/uart_interface.hpp"

namespace devlib_instr {

namespace {

CaughtException worded(const FailureWording& wording, std::u16string text) {
    return {Error(wording.category, wording.code, std::move(text)), true};
}

}  // namespace

CaughtException describeCaughtException(const FailureWording& wording) {
    try {
        throw;
    } catch (const Error& e) {
        return {e, false};
    } catch (const CommInterface::CommError& e) {
        if (!wording.commErrorPrefix.empty())
            return worded(wording, std::u16string(wording.commErrorPrefix) + widen(std::to_string(e.code)));
        return worded(wording, std::u16string(wording.exceptionPrefix) + wording.whatText(e.what()));
    } catch (const std::exception& e) {
        return worded(wording, std::u16string(wording.exceptionPrefix) + wording.whatText(e.what()));
    } catch (...) {
        return worded(wording, std::u16string(wording.unknownText));
    }
}

}  // namespace devlib_instr
