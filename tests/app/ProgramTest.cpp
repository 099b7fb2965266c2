#include "app/application/ApplicationUnit.h"
#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/shell/ProgramUnit.h"
#include "app/shell/TEmbeddedBrowserRegistryManagerUnit.h"
#include "app/shell/THandleCreateExceptionFormUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "app/shell/TSingleInstanceUnit.h"
#include "foundation/InterfaceThreadUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "metadata/pages/TCoverImageDataUnit.h"
#include "platform/ShellUnit.h"
#include "platform/TRegistryUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "requests/TAPIRequestManagerUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

TEST(Program, InstallArgumentInAnyLetterCase)
{
    for (const char *yes : {"-INSTALL", "-install", "-InStAlL"})
        EXPECT_TRUE(IsInstallArgument(QLatin1String(yes))) << yes;
    for (const char *no : {"install", "-INSTALLX", "", "--install"})
        EXPECT_FALSE(IsInstallArgument(QLatin1String(no))) << no;
}

namespace {

QByteArray Digest(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

class InstallModeTest : public ::testing::Test
{
protected:
    QString DataFolder() const { return Folders.DataHome() + QStringLiteral("/MarvanePlayer"); }
    QString Database() const { return DataFolder() + QStringLiteral("/SavedTracks.db"); }
    QString Template() const { return DataFolder() + QStringLiteral("/empty_SavedTracks.db"); }

    void PlaceTemplate()
    {
        QDir().mkpath(DataFolder());
        ASSERT_TRUE(QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), Template()));
    }

    // The real program, with no display at all.
    int RunInstall(const QString &Argument = QStringLiteral("-install"))
    {
        TChildProcess process;
        EXPECT_TRUE(process.Start(QStringLiteral(MARVANE_PLAYER_EXE), {Argument},
            {.ReadErrors = true,
                .Environment
                = {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("QT_QPA_PLATFORM")}}));
        EXPECT_TRUE(process.WaitForExit(std::chrono::seconds(30)));
        EXPECT_TRUE(process.ExitedNormally()) << process.Errors().toStdString();
        return process.ExitCode();
    }

    TTempUserFolders Folders;
};

} // namespace

TEST_F(InstallModeTest, PutsTheTemplateInPlaceOnceAndRemovesIt)
{
    PlaceTemplate();
    const QByteArray templateDigest = Digest(Template());

    EXPECT_EQ(RunInstall(QStringLiteral("-INSTALL")), 0);
    EXPECT_EQ(Digest(Database()), templateDigest);
    EXPECT_FALSE(QFile::exists(Template()));

    // Second run: no template, nothing to do, nothing fails.
    EXPECT_EQ(RunInstall(), 0);
    EXPECT_EQ(Digest(Database()), templateDigest);
}

TEST_F(InstallModeTest, NeverOverwritesAnExistingDatabase)
{
    PlaceTemplate();
    {
        QFile db(Database());
        ASSERT_TRUE(db.open(QIODevice::WriteOnly));
        db.write("the user's saved tracks");
    }
    EXPECT_EQ(RunInstall(), 0);
    QFile db(Database());
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_EQ(db.readAll(), QByteArray("the user's saved tracks"));
    EXPECT_FALSE(QFile::exists(Template()));
}

TEST(EmbeddedBrowserRegistry, WritesBothKeysOnlyForTheAdministrator)
{
    TTempUserFolders folders;
    const QString native
        = QStringLiteral("SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");
    const QString wow = QStringLiteral(
        "SOFTWARE\\WOW6432Node\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");

    // Without the keys nothing is created.
    TEmbeddedBrowserRegistryManager::DoRegister(9999, QStringLiteral("marvane-player"), true);
    TRegistry machine(TRegistryRoot::LocalMachine);
    EXPECT_FALSE(machine.KeyExists(native));

    ASSERT_TRUE(machine.OpenKey(native, true));
    ASSERT_TRUE(machine.OpenKey(wow, true));
    TEmbeddedBrowserRegistryManager::DoRegister(9999, QStringLiteral("marvane-player"), true);
    for (const QString &key : {native, wow}) {
        ASSERT_TRUE(machine.OpenKeyReadOnly(key));
        if (Shell::IsUserAnAdmin())
            EXPECT_EQ(machine.ReadInteger(QStringLiteral("marvane-player")), 9999);
        else
            EXPECT_FALSE(machine.ValueExists(QStringLiteral("marvane-player")));
    }
}

namespace {

class TFailingForm : public THandleCreateExceptionForm
{
protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override { throw Exception(QStringLiteral("Can't initialize device")); }
};

} // namespace

TEST(HandleCreateExceptionForm, ShowsTheErrorAndStopsWithExitCodeOne)
{
    TShownErrors shown;
    try {
        THandleCreateExceptionForm::CreateForm<TFailingForm>();
        ADD_FAILURE() << "the program should stop";
    } catch (const EProgramHalt &halt) {
        EXPECT_EQ(halt.ExitCode, 1);
    }
    EXPECT_EQ(shown.Messages, QStringList {QStringLiteral("Can't initialize device")});
}

namespace {

// Errors raised by ordinary event handlers, each through a real widget, timer
// or call, and each with the text the user is shown.
class HandlerErrorTest : public ::testing::Test
{
protected:
    void TearDown() override { THierarchicalSingleton::DoDestroy(); }

    // The message is shown once, and the event loop still serves what comes next.
    void ExpectShownAndGoingOn(const QString &Message)
    {
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !Shown.Messages.isEmpty(); })) << "never shown";
        EXPECT_EQ(Shown.Messages, QStringList {Message});
        bool served = false;
        InterfaceThread::Queue([&] { served = true; });
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return served; }));
        EXPECT_EQ(Shown.Messages.size(), 1);
        Shown.Messages.clear();
    }

    TShownErrors Shown;
    TTempUserFolders Folders;
};

} // namespace

TEST_F(HandlerErrorTest, AButtonsClickHandler)
{
    TQelmLocalizationManager localization;
    QWidget window;
    QPushButton button(&window);
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, Application::Guarded([&] {
        ++clicks;
        button.setText(localization.getValue(QStringLiteral("NoSuchKey")));
    }));
    window.show();
    for (int click = 1; click <= 2; ++click) {
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(clicks, click) << "the button still works";
        ExpectShownAndGoingOn(QStringLiteral("Item not found"));
    }
}

TEST_F(HandlerErrorTest, ATimersHandler)
{
    // A file where the settings folder should be: no user, root included, can write there.
    QFile blocker(Folders.ConfigHome() + QStringLiteral("/MarvanePlayer"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 2)
            timer.stop();
        GetInstance<TQelmSettings>()->SetVolume(0.5);
    });
    timer.start(0);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ticks == 2; })) << "the timer goes on after a failure";
    EXPECT_EQ(Shown.Messages, QStringList(2, QStringLiteral("Failed to set data for 'Volume'")));
}

TEST_F(HandlerErrorTest, QueuedAndSynchronizedCalls)
{
    TAudioPlaylist playlist;
    InterfaceThread::Queue([&] { playlist.getItem(3); });
    ExpectShownAndGoingOn(QStringLiteral("List index out of bounds"));

    // The worker that asked for the call is not the one to blame: it goes on.
    bool workerWentOn = false;
    std::thread worker([&] {
        InterfaceThread::Synchronize([&] { playlist.getItem(-1); });
        workerWentOn = true;
    });
    ExpectShownAndGoingOn(QStringLiteral("List index out of bounds"));
    worker.join();
    EXPECT_TRUE(workerWentOn);
}

namespace {

// Stands in for the main window's request managers: notes whether the
// program-wide objects were still there when its worker was stopped.
class TWatchedRequestManager : public TAPIRequestManager
{
public:
    TWatchedRequestManager(QStringList &Log, QString Name) : TAPIRequestManager(0), FLog(Log), FName(std::move(Name))
    {
        StartThread();
    }
    ~TWatchedRequestManager() override { StopThread(); }

protected:
    void ProcessRequests() override
    {
        while (!Terminated())
            AwaitNextPass();
        const bool present = ThreadedObjectsManager && AudioPlayer;
        FLog << FName + (present ? QStringLiteral(" stopped first") : QStringLiteral(" stopped late"));
    }

private:
    QStringList &FLog;
    QString FName;
};

} // namespace

TEST(GlobalObjects, StopTheQueueWorkersBeforeFreeingTheRest)
{
    QStringList log;
    TWatchedRequestManager api(log, QStringLiteral("api")), lastfm(log, QStringLiteral("lastfm"));
    {
        TGlobalObjects globals;
        EXPECT_NE(ThreadedObjectsManager, nullptr);
        EXPECT_NE(AudioPlayer, nullptr);
        globals.AddQueueWorker(api);
        globals.AddQueueWorker(lastfm);
    }
    EXPECT_EQ(ThreadedObjectsManager, nullptr);
    EXPECT_EQ(AudioPlayer, nullptr);
    EXPECT_EQ(log, (QStringList {QStringLiteral("api stopped first"), QStringLiteral("lastfm stopped first")}));
}

TEST(GlobalObjects, NoAudioOutputStopsTheStartWithItsMessage)
{
    const QByteArray sink = qgetenv("MARVANE_AUDIO_SINK");
    qputenv("MARVANE_AUDIO_SINK", "nosuchsink");
    TShownErrors shown;
    EXPECT_EQ(RunPlayer(), 1);
    qputenv("MARVANE_AUDIO_SINK", sink);
    EXPECT_EQ(shown.Messages, QStringList {QStringLiteral("Can't initialize device")});
    EXPECT_EQ(ThreadedObjectsManager, nullptr);
    EXPECT_EQ(AudioPlayer, nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "no window was made";
}

namespace {

// The user's folders with the saved-tracks table the install step leaves.
class TInstalledFolders : public TTempUserFolders
{
public:
    TInstalledFolders()
    {
        QDir().mkpath(GetProgramDataFolderPath());
        QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), GetSavedTracksDBPath());
        QFile(GetSavedTracksDBPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
};

} // namespace

namespace {

// The texts in the active language, as the program has them before its body runs.
struct TProgramTexts
{
    TProgramTexts() { InitializeLocalizationManager(); }
    ~TProgramTexts() { FinalizeLocalizationManager(); }
};

} // namespace

TEST(Program, ADamagedSavedTracksTableWithoutBackupStopsTheStartWithItsMessage)
{
    TInstalledFolders folders;
    {
        QFile db(GetSavedTracksDBPath());
        ASSERT_TRUE(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
        db.write("not a table");
    }
    InitializeLocalizationManager();
    TShownErrors shown;
    EXPECT_EQ(RunPlayer(), 1);
    FinalizeLocalizationManager();
    EXPECT_EQ(shown.Messages, QStringList {QStringLiteral("Saved tracks database file corrupted")});
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    QFile db(GetSavedTracksDBPath());
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_EQ(db.readAll(), QByteArray("not a table")) << "the damaged file is left for the user";
}

// A table that cannot be read is not called damaged, and its backup does not
// take its place: the start stops with the reason.
TEST(Program, ASavedTracksTableThatCannotBeReadStopsTheStartWithTheReason)
{
    TInstalledFolders folders;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(GetSavedTracksBackupDBPath()).path()));
    ASSERT_TRUE(QFile::rename(GetSavedTracksDBPath(), GetSavedTracksBackupDBPath()));
    ASSERT_TRUE(QDir().mkpath(GetSavedTracksDBPath())); // a folder in its place
    InitializeLocalizationManager();
    TShownErrors shown;
    EXPECT_EQ(RunPlayer(), 1);
    FinalizeLocalizationManager();
    ASSERT_EQ(shown.Messages.size(), 1);
    EXPECT_TRUE(shown.Messages[0].startsWith(QStringLiteral("Saved tracks database file could not be opened: ")))
        << shown.Messages[0].toStdString();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_TRUE(QFileInfo(GetSavedTracksDBPath()).isDir()) << "nothing moved";
    EXPECT_EQ(QDir(GetProgramDataFolderPath()).entryList(QDir::Files), QStringList());
}

TEST(Program, ClosingTheMainWindowEndsItWhileTheSettingsWindowIsOpen)
{
    TProgramTexts texts;
    TInstalledFolders folders;
    TShownErrors shown;
    bool settingsOpen = false;
    QTimer::singleShot(0, [&] {
        QWidget *main = nullptr;
        QWidget *settings = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("MainForm"))
                main = window;
            else if (window->objectName() == QLatin1String("SettingsForm"))
                settings = window;
        }
        ASSERT_TRUE(main && settings);
        settings->show();
        settingsOpen = settings->isVisible();
        main->close();
    });
    // Ends a loop that would otherwise run for ever.
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(10000);

    EXPECT_EQ(RunPlayer(), 0) << "still running with the main window closed";
    EXPECT_TRUE(settingsOpen);
    EXPECT_TRUE(shown.Messages.isEmpty());
    EXPECT_EQ(ThreadedObjectsManager, nullptr);
}

namespace {

// Every answer stalls after its first block, so downloads are still running
// when the program is asked to end; Answering counts the answers begun.
TRawTestServer::THandler StallAfterTheFirstBlock(std::atomic<int> &Answering)
{
    return [&Answering](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        Connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(300000, 'x'));
        ++Answering;
        Connection.Stall();
    };
}

} // namespace

TEST(Program, QuittingWithDownloadsInFlightLeavesNothingToTheirHolders)
{
    TProgramTexts texts;
    TInstalledFolders folders;
    TShownErrors shown;
    std::atomic<int> answering = 0;
    TRawTestServer server(StallAfterTheFirstBlock(answering));
    // A picture slot as the metadata pages hold one: it outlives the global
    // objects as the windows do.
    TCoverImageData cover;
    TLastFMImagesRecord images;
    images.FImages.emplace_back();
    images.FImages.back().Size = QStringLiteral("large");
    images.FImages.back().URL = server.URL(QStringLiteral("/cover.png"));
    bool closed = false;
    QTimer::singleShot(0, [&] {
        TMainForm *main = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *form = qobject_cast<TMainForm *>(window))
                main = form;
        ASSERT_TRUE(main);
        for (int aid = 1; aid <= 2; ++aid) {
            TVKAudioRecord record;
            record.AID = aid;
            record.OwnerID = 3001;
            record.Artist = QStringLiteral("Artist");
            record.Title = QStringLiteral("Title %1").arg(aid);
            record.URL = server.URL(QStringLiteral("/track.mp3"));
            main->LocalAudioData().DownloadTrack(TVKAudioPlaylistItem(record));
        }
        cover.SetLastFMImagesData(images);
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return answering == 3; }));
        closed = main->close();
    });
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(30000);

    EXPECT_EQ(RunPlayer(), 0);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(shown.Messages.isEmpty()) << shown.Messages.join(u'\n').toStdString();
    EXPECT_EQ(cover.State(), mdsLoading);
}

namespace {

TMainForm *RunningMainForm()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *form = qobject_cast<TMainForm *>(window))
            return form;
    return nullptr;
}

// Ends a player loop that would otherwise run for ever.
class TStuckGuard
{
public:
    explicit TStuckGuard(int Milliseconds)
    {
        FTimer.setSingleShot(true);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            FFired = true;
            QCoreApplication::exit(1);
        });
        FTimer.start(Milliseconds);
    }
    bool Fired() const { return FFired; }

private:
    QTimer FTimer;
    bool FFired = false;
};

// A player answers a later start only from its event loop, so an answer
// means it is up and serving.
bool PlayerAnswers()
{
    QLocalSocket socket;
    socket.connectToServer(TSingleInstance::UserSocketName());
    return socket.waitForConnected(1000) && socket.waitForReadyRead(5000);
}

} // namespace

TEST(SingleInstance, ASecondStartShowsTheRunningWindowAndLeavesItsFilesAlone)
{
    TProgramTexts texts;
    TInstalledFolders folders;
    TShownErrors shown;
    TSingleInstance instance;
    ASSERT_TRUE(instance.Claim());
    bool checked = false;
    QTimer::singleShot(0, [&] {
        TMainForm *main = RunningMainForm();
        ASSERT_TRUE(main);
        // A download the running player is writing, listed as a start that
        // follows a killed player would find it.
        const QString partial = folders.Root() + QStringLiteral("/Music/Artist_-_Title.mp3.part");
        {
            QDir().mkpath(QFileInfo(partial).path());
            QFile file(partial);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("the first bytes");
            QFile list(GetDownloadsInProgressPath());
            ASSERT_TRUE(list.open(QIODevice::WriteOnly));
            list.write(partial.toUtf8());
        }
        const QByteArray table = Digest(GetSavedTracksDBPath());
        const QByteArray downloads = Digest(GetDownloadsInProgressPath());
        main->showMinimized();
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return main->isMinimized(); }));

        TChildProcess second;
        ASSERT_TRUE(second.Start(QStringLiteral(MARVANE_PLAYER_EXE), {}, {.ReadErrors = true}));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return second.HasEnded(); }, std::chrono::seconds(30)));
        EXPECT_TRUE(second.ExitedNormally()) << second.Errors().toStdString();
        EXPECT_EQ(second.ExitCode(), 0);
        EXPECT_FALSE(main->isMinimized());
        EXPECT_TRUE(main->isVisible());
        EXPECT_TRUE(main->isActiveWindow());
        EXPECT_TRUE(QFileInfo(partial).isFile()) << "the running download's file was removed";
        EXPECT_EQ(Digest(GetDownloadsInProgressPath()), downloads);
        EXPECT_EQ(Digest(GetSavedTracksDBPath()), table);

        // The install step is no player: it runs beside one.
        TChildProcess install;
        ASSERT_TRUE(install.Start(QStringLiteral(MARVANE_PLAYER_EXE), {QStringLiteral("-INSTALL")}));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return install.HasEnded(); }, std::chrono::seconds(30)));
        EXPECT_TRUE(install.ExitedNormally());
        EXPECT_EQ(install.ExitCode(), 0);
        checked = true;
        main->close();
    });
    TStuckGuard guard(60000);
    EXPECT_EQ(RunPlayer(&instance), 0);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(shown.Messages.isEmpty()) << shown.Messages.join(u'\n').toStdString();
}

// A killed player leaves its socket and lock file behind; neither blocks the
// next start, and a player ends cleanly on either logout signal.
TEST(SingleInstance, AKilledPlayerNeverBlocksTheNextStart)
{
    TInstalledFolders folders;
    TChildProcess killed;
    ASSERT_TRUE(killed.Start(QStringLiteral(MARVANE_PLAYER_EXE), {}));
    ASSERT_TRUE(TestEnvironment::WaitFor(PlayerAnswers, std::chrono::seconds(60)));
    killed.Signal(SIGKILL);
    ASSERT_TRUE(killed.WaitForExit(std::chrono::seconds(30)));
    ASSERT_TRUE(QFileInfo::exists(TSingleInstance::UserSocketName()));

    for (const int signal : {SIGTERM, SIGINT}) {
        TChildProcess player;
        ASSERT_TRUE(player.Start(QStringLiteral(MARVANE_PLAYER_EXE), {}, {.ReadErrors = true}));
        ASSERT_TRUE(TestEnvironment::WaitFor(PlayerAnswers, std::chrono::seconds(60))) << signal;
        player.Signal(signal);
        ASSERT_TRUE(player.WaitForExit(std::chrono::seconds(30))) << signal;
        EXPECT_TRUE(player.ExitedNormally()) << signal;
        EXPECT_EQ(player.ExitCode(), 0) << signal << player.Errors().toStdString();
    }
}

// The update check runs on a thread nobody waits for: a host that takes the
// request and never answers holds up neither the start nor the end.
TEST(Program, AStuckUpdateCheckHoldsUpNeitherTheStartNorTheEnd)
{
    TInstalledFolders folders;
    std::atomic<int> asked = 0;
    TRawTestServer host([&](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        ++asked;
        Connection.Stall();
    });
    TChildProcess player;
    ASSERT_TRUE(player.Start(QStringLiteral(MARVANE_PLAYER_EXE), {},
        {.ReadErrors = true, .Environment = {QStringLiteral("MARVANE_UPDATE_URL=") + host.URL(QString())}}));
    ASSERT_TRUE(TestEnvironment::WaitFor(PlayerAnswers, std::chrono::seconds(60)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return asked == 1; }));
    const auto asking = std::chrono::steady_clock::now();
    player.Signal(SIGTERM);
    ASSERT_TRUE(player.WaitForExit(std::chrono::seconds(30)));
    // Well inside the check's own time-outs.
    EXPECT_LT(std::chrono::steady_clock::now() - asking, std::chrono::seconds(4));
    EXPECT_TRUE(player.ExitedNormally());
    EXPECT_EQ(player.ExitCode(), 0) << player.Errors().toStdString();
}

TEST(SingleInstance, StartsAtTheSameTimeLeaveOnePlayer)
{
    TInstalledFolders folders;
    std::vector<std::unique_ptr<TChildProcess>> starts;
    for (int i = 0; i < 3; ++i) {
        starts.push_back(std::make_unique<TChildProcess>());
        ASSERT_TRUE(starts.back()->Start(QStringLiteral(MARVANE_PLAYER_EXE), {}, {.ReadErrors = true}));
    }
    const auto running = [&starts] {
        return std::count_if(starts.begin(), starts.end(), [](const auto &start) { return !start->HasEnded(); });
    };
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return running() == 1; }, std::chrono::seconds(60)));
    EXPECT_TRUE(PlayerAnswers());
    for (const auto &start : starts)
        start->Signal(SIGTERM);
    for (const auto &start : starts) {
        ASSERT_TRUE(start->WaitForExit(std::chrono::seconds(30)));
        EXPECT_TRUE(start->ExitedNormally());
        EXPECT_EQ(start->ExitCode(), 0) << start->Errors().toStdString();
    }
}

// A desktop logout sends SIGTERM or SIGINT: the window closes as the user
// would close it, the cookies are written and no partial file is left.
TEST(Program, ALogoutSignalEndsThePlayerCleanly)
{
    TProgramTexts texts;
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TInstalledFolders folders;
        TShownErrors shown;
        std::atomic<int> answering = 0;
        TRawTestServer server(StallAfterTheFirstBlock(answering));
        const QString music = GetDefaultMusicFolderPath();
        const auto partialFiles = [&] {
            QStringList found;
            for (const QFileInfo &file : QDir(music).entryInfoList({QStringLiteral("*.part")}, QDir::Files))
                if (file.size() > 0)
                    found << file.fileName();
            return found;
        };
        bool signalled = false;
        QTimer::singleShot(0, [&] {
            TMainForm *main = RunningMainForm();
            ASSERT_TRUE(main);
            main->VKEmulationManager().CookieManager()->AddServerCookies(
                {QStringLiteral("remixsid=session; Path=/; Max-Age=31536000")}, QUrl(server.URL(QStringLiteral("/"))));
            TVKAudioRecord record;
            record.AID = 7;
            record.OwnerID = 3001;
            record.Artist = QStringLiteral("Artist");
            record.Title = QStringLiteral("Title");
            record.URL = server.URL(QStringLiteral("/track.mp3"));
            main->LocalAudioData().DownloadTrack(TVKAudioPlaylistItem(record));
            ASSERT_TRUE(TestEnvironment::WaitFor([&] { return answering == 1 && !partialFiles().isEmpty(); }));
            signalled = std::raise(signal) == 0;
        });
        TStuckGuard guard(30000);
        EXPECT_EQ(RunPlayer(), 0);
        EXPECT_TRUE(signalled);
        EXPECT_TRUE(partialFiles().isEmpty()) << partialFiles().join(u' ').toStdString();
        QFile cookies(GetCookiesFilePath());
        ASSERT_TRUE(cookies.open(QIODevice::ReadOnly)) << "the cookie file was not written";
        EXPECT_TRUE(cookies.readAll().contains("remixsid")) << cookies.fileName().toStdString();
        EXPECT_TRUE(shown.Messages.isEmpty()) << shown.Messages.join(u'\n').toStdString();
    }
}

// A logout while a failed start shows its message: the message goes and the
// program ends.
TEST(Program, ALogoutSignalClosesAFailedStartsMessage)
{
    TInstalledFolders folders;
    {
        QFile db(GetSavedTracksDBPath());
        ASSERT_TRUE(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
        db.write("not a table");
    }
    InitializeLocalizationManager();
    bool messageClosed = false;
    const Application::TExceptionHandler saved
        = Application::SetExceptionHandler([&messageClosed](const QString &Message) {
              QTimer::singleShot(0, [] { std::raise(SIGTERM); });
              TStuckGuard guard(30000);
              QMessageBox::critical(nullptr, QString(), Message);
              messageClosed = !guard.Fired();
          });
    EXPECT_EQ(RunPlayer(), 1);
    Application::SetExceptionHandler(saved);
    FinalizeLocalizationManager();
    EXPECT_TRUE(messageClosed);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}
