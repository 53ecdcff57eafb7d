#pragma once

// What a fuzz target holds of the code under test: a broken promise ends the
// run and names itself, so that a finding says what failed.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(ok)                                                                          \
    do {                                                                                        \
        if (!(ok)) {                                                                            \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #ok);              \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)
