// Property checks for the fuzz targets. A failed check names the condition and aborts, so libFuzzer
// keeps the input as a crash; assert would be compiled out of the optimised fuzz build.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzCheckFailed(const char* Condition, const char* File, int Line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", File, Line, Condition);
    std::abort();
}

#define FUZZ_CHECK(Condition) ((Condition) ? void(0) : FuzzCheckFailed(#Condition, __FILE__, __LINE__))
