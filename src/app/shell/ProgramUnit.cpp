#include "app/shell/ProgramUnit.h"

#include "app/application/ApplicationUnit.h"
#include "app/desktop/TDesktopIntegrationUnit.h"
#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/shell/TEmbeddedBrowserRegistryManagerUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "app/shell/TSettingsFormUnit.h"
#include "app/shell/TSingleInstanceUnit.h"
#include "app/shell/UpdateCheckUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "platform/TTerminationSignalsUnit.h"
#include "ui/StyleResourceUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFile>
#include <QFileInfo>

namespace {

int RunNormalMode(int argc, char **argv)
{
    TApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Marvane Player"));
    // The desktop finds the icon and the menu entry by it (Wayland, notices, media applets).
    QGuiApplication::setDesktopFileName(QStringLiteral("marvane-player"));
    // Two players would each rewrite the saved-tracks table and the cookie
    // file, and a start removes the partial files of running downloads.
    TSingleInstance instance;
    if (!instance.Claim())
        return 0;
    // Its outcome waits for the message loop; the window may be up by then.
    UpdateCheck::StartAutomaticCheck(QCoreApplication::arguments().mid(1));
    return RunPlayer(&instance);
}

void BringToFront(QWidget &Window)
{
    Window.setWindowState(Window.windowState() & ~Qt::WindowMinimized);
    Window.show();
    Window.raise();
    Window.activateWindow();
}

} // namespace

int RunPlayer(TSingleInstance *Instance)
{
    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TSettingsForm> settingsForm;
    // A desktop logout ends the program as closing the window does; until
    // everything is freed, so that the files are written whole.
    bool endRequested = false;
    TTerminationSignals terminationSignals([&mainForm, &endRequested] {
        endRequested = true;
        // A message on the screen runs its own loop, a failed start's too.
        if (QWidget *message = QApplication::activeModalWidget())
            message->close();
        if (mainForm)
            mainForm->close();
    });
    int exitCode = 0;
    try {
        InstallStyle();
        // Freed when the loop has ended or a window failed, before the windows.
        TGlobalObjects globals;
        mainForm = THandleCreateExceptionForm::CreateForm<TMainForm>();
        // Whichever way this block ends, the window lets go of the player first.
        struct TPlayerRelease
        {
            TMainForm &Form;
            ~TPlayerRelease() { Form.ReleasePlayer(); }
        } playerRelease {*mainForm};
        // The window outlives the global objects: its web queue must not
        // start tasks once they are going.
        globals.AddQueueWorker(mainForm->VKEmulationManager().RequestManager());
        globals.AddQueueWorker(mainForm->VKAPIManager());
        globals.AddQueueWorker(mainForm->LastFMRequestManager());
        settingsForm = THandleCreateExceptionForm::CreateForm<TSettingsForm>();
        mainForm->SettingsForm = settingsForm.get();
        if (Instance)
            Instance->OnActivationRequested = [&mainForm] { BringToFront(*mainForm); };
        // Goes before the window lets go of the player.
        const TDesktopIntegration desktop(QDBusConnection::sessionBus(), *mainForm, *mainForm->PlayerControls(),
            *mainForm->ArtistImage(), [&mainForm] { BringToFront(*mainForm); });
        mainForm->show();
        // Asked during the start, when no loop ran to end.
        if (!endRequested)
            exitCode = QApplication::exec();
    } catch (const EProgramHalt &halt) {
        exitCode = halt.ExitCode;
    } catch (const std::exception &e) {
        // The global objects failed (no audio output): shown, then the end.
        Application::HandleException(e);
        exitCode = 1;
    }
    if (Instance)
        Instance->OnActivationRequested = nullptr;
    settingsForm.reset();
    mainForm.reset();
    return exitCode;
}

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
