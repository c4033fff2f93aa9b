// FUZZ_CHECK: names the failed condition and aborts (assert is compiled out of the fuzz build).
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(Condition)                                                                                \
    ((Condition) ? void(0)                                                                                   \
                 : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #Condition),       \
                    std::abort()))
