// Test entry for window tests: prepares the page views, then runs GoogleTest inside a TApplication
// on the X server named by DISPLAY.
#include "Application.h"
#include "WebBrowser.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    PreparePageViews();
    TApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
