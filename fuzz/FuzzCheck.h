// FUZZ_CHECK: a failed check names the condition and aborts, so libFuzzer keeps the input as a
// crash; assert would be compiled out of the optimised fuzz build.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(Condition)                                                                                \
    ((Condition) ? void(0)                                                                                   \
                 : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #Condition),       \
                    std::abort()))
