// The entry of the window tests: lists the tests without an X server, and runs them inside a
// TApplication, with the page views prepared, on the X server named by DISPLAY.
#include "Application.h"
#include "WebBrowser.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // The window's notifications and settings stay off the user's desktop: no session bus (a test
    // that needs one starts its own) and a settings folder of the run's own.
    const QTemporaryDir Settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Settings.path()));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    PreparePageViews();
    TApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
