#include "app/ProgramUnit.h"

#include "playback/TAudioPlayerUnit.h"
#include "app/TEmbeddedBrowserRegistryManagerUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "app/TMainFormUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "app/TQelmPathManagerUnit.h"
#include "app/TSettingsFormUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace {

int RunNormalMode(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Marvane Player"));

    struct TGlobalObjects
    {
        TGlobalObjects()
        {
            ThreadedObjectsManager = new TThreadedObjectsManager();
            AudioPlayer = new TAudioPlayer();
        }
        // Freed when the loop has ended or a window failed: the player
        // releases its stream before the audio library goes with the main
        // window, and the manager waits for every background task.
        ~TGlobalObjects()
        {
            delete AudioPlayer;
            AudioPlayer = nullptr;
            delete ThreadedObjectsManager;
            ThreadedObjectsManager = nullptr;
        }
    };

    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TSettingsForm> settingsForm;
    int exitCode = 0;
    try {
        TGlobalObjects globals;
        mainForm = THandleCreateExceptionForm::CreateForm<TMainForm>();
        settingsForm = THandleCreateExceptionForm::CreateForm<TSettingsForm>();
        mainForm->show();
        exitCode = application.exec();
    } catch (const EProgramHalt &halt) {
        exitCode = halt.ExitCode;
    }
    settingsForm.reset();
    mainForm.reset();
    return exitCode;
}

} // namespace

bool IsInstallArgument(const QString &FirstArgument)
{
    return FirstArgument.toUpper() == QLatin1String("-INSTALL");
}

void RunInstallStep()
{
    TEmbeddedBrowserRegistryManager::DoRegister(9999);
    const QString database = GetSavedTracksDBPath();
    const QString emptyTemplate = GetEmptySavedTracksDBPath();
    if (!QFileInfo::exists(database)) {
        QFile::remove(database); // a dangling link: the copy would not replace it
        QFile::copy(emptyTemplate, database);
    }
    QFile::remove(emptyTemplate);
}

int RunProgram(int argc, char **argv)
{
    // Before the program body, in both modes: the texts in the chosen language.
    InitializeLocalizationManager();
    int exitCode = 0;
    if (argc > 1 && IsInstallArgument(QString::fromLocal8Bit(argv[1]))) {
        QCoreApplication application(argc, argv);
        RunInstallStep();
    } else {
        exitCode = RunNormalMode(argc, argv);
    }
    FinalizeLocalizationManager();
    THierarchicalSingleton::DoDestroy();
    return exitCode;
}
