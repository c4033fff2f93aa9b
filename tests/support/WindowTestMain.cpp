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
    // The window's notifications, settings and history stay off the user's desktop: no session bus
    // (a test that needs one starts its own) and settings and data folders of the run's own.
    const QTemporaryDir Settings;
    const QTemporaryDir Data;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Settings.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Data.path()));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    PreparePageViews();
    TApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
