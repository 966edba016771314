// Assertions for impossible states; they stay on in release builds.
#pragma once

#include <cstdio>
#include <cstdlib>

#define ZORVAN_CHECK(condition)                                                                        \
    do {                                                                                               \
        if (!(condition)) {                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);        \
            std::abort();                                                                              \
        }                                                                                              \
    } while (false)
