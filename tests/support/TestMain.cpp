// Every test program runs headless: offscreen widgets, a private runtime
// folder, a null audio sink, and data and config folders of its own.
#include "support/TestEnvironment.h"

#include "app/application/ApplicationUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    TestEnvironment::PrepareProcess();
    TApplication application(argc, argv);
    // A message box would wait for a click no one makes.
    Application::SetExceptionHandler(
        [](const QString &Message) { ADD_FAILURE() << "error shown to the user: " << Message.toStdString(); });
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // As the program does when it ends: singletons go with the program.
    THierarchicalSingleton::DoDestroy();
    return result;
}
