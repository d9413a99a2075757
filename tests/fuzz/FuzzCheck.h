#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run when a property does not hold; libFuzzer keeps the input that broke it.
inline void fuzzRequire(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}
