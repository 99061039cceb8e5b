#pragma once

#include <cstdio>
#include <cstdlib>

// An oracle failure must stop the fuzzer with a stack trace, also in builds
// with NDEBUG, so it is an abort rather than an assert.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)
