// Test entry for tests that need the application object: runs GoogleTest inside a TApplication on
// the X server named by DISPLAY.
#include "Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
