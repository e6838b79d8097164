// Invariant checks of the fuzz targets: a broken invariant is a finding, reported like a crash so
// that libFuzzer keeps the input and the corpus replay in the test suite fails.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace torvik_fuzz {

[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) finding(what);
}

}  // namespace torvik_fuzz
