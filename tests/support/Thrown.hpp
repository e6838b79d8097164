// The exception of type E that a call throws; nothing when the call returns. Other exceptions pass.
#pragma once

#include <optional>

namespace torvik_test {

template <class E, class Call>
std::optional<E> thrown(const Call& call) {
    try {
        call();
    } catch (const E& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace torvik_test
