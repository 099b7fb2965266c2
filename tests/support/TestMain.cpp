// Every test program runs headless: offscreen widgets, a private runtime
// folder, a null audio sink, and data and config folders of its own.
#include "support/TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    TestEnvironment::PrepareProcess();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
