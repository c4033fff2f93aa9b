// The entry of the window tests: lists them without an X server, runs them in a TApplication.
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
    // No session bus (a test that needs one starts its own), and settings and data of the run's own.
    const QTemporaryDir Settings;
    const QTemporaryDir Data;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Settings.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Data.path()));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    PreparePageViews();
    TApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
