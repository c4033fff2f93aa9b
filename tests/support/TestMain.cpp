// The entry of every test executable: lists the tests without an X server, and runs them inside a
// TApplication, with the page views prepared, on the X server named by DISPLAY.
#include "Application.h"
#include "WebBrowser.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    PreparePageViews();
    TApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
