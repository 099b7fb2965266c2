#include "cli/TMarvaneCLIUnit.h"

#include "foundation/THierarchicalSingletonUnit.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int exitCode = 0;
    {
        TMarvaneCLI cli;
        exitCode = cli.Run(QCoreApplication::arguments().mid(1));
    }
    THierarchicalSingleton::DoDestroy();
    return exitCode;
}
