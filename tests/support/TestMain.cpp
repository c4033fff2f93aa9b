// The entry of the test executables that need no window: the tests run inside a QCoreApplication,
// so that they pass with no X server at all.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
