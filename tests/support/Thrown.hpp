// The exception of type E that a call throws; nothing when the call returns. Other exceptions pass.
#pragma once

#include <optional>
#include <utility>

namespace torvik_test {

template <class E, class Call>
std::optional<E> thrown(Call&& call) {
    try {
        std::forward<Call>(call)();
    } catch (const E& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace torvik_test
