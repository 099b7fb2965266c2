#include "tracks/lists/TLocalAudioDataUnit.h"

#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/FileUtilsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include "vkweb/StandinCatalogue.h"
#include "vkweb/VKWebTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

TVKAudioPlaylistItem Item(int AID, const QString &Artist, const QString &Title, const QString &URL)
{
    TVKAudioRecord record;
    record.AID = AID;
    record.OwnerID = 3001;
    record.Artist = Artist;
    record.Title = Title;
    record.Duration = 3;
    record.URL = URL;
    return TVKAudioPlaylistItem(record);
}

// The Downloads tab over a fresh table, with the music folder in a temporary
// folder and the web client signed in to the stand-in.
class LocalAudioData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        SetMusicFolder(FFolders.Root() + QStringLiteral("/music"));
        QDir().mkpath(GetProgramDataFolderPath());
        ASSERT_TRUE(QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), GetSavedTracksDBPath()));
        QFile(GetSavedTracksDBPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        FGlobals = std::make_unique<TGlobalObjects>();
        FManager = std::make_unique<TVKEmulationManager>();
        Restart();
    }

    void TearDown() override
    {
        FData.reset();
        FManager.reset();
        FGlobals.reset();
        FDataSet.reset();
    }

    // As at the next start of the program.
    void Restart()
    {
        FData.reset();
        FDataSet.reset();
        FDataSet = std::make_unique<TSavedTracksDataSet>(GetSavedTracksDBPath());
        FData = std::make_unique<TLocalAudioData>(*FManager, *FDataSet);
        FData->OnChanged = [this](TObject *, bool) { ++FChanges; };
        FData->OnDownloadFailed = [this](TObject *, int AID, int, const QString &Message) {
            FFailures << QString::number(AID) + QStringLiteral(": ") + Message;
        };
        FData->OnDownloadNoLogicalDriveError = [this](TObject *) { ++FNoDriveErrors; };
    }

    void SignIn()
    {
        bool signedIn = false;
        FManager->AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
        FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return signedIn; }));
    }

    static void SetMusicFolder(const QString &Path)
    {
        GetInstance<TQelmSettings>()->SetCustomMusicFolderFlag(true);
        GetInstance<TQelmSettings>()->SetCustomMusicFolderPath(Path);
    }

    QString Tone(int Seconds) const { return FStandin.WebURL() + QStringLiteral("/audio/tone-%1s.mp3").arg(Seconds); }

    int SavedCount() const
    {
        int saved = 0;
        for (int i = 0; i < FData->Count(); ++i)
            saved += FData->IsSavedTrack(i) ? 1 : 0;
        return saved;
    }

    bool WaitForSaved(int Count) const
    {
        return TestEnvironment::WaitFor([&] { return SavedCount() == Count && SavedCount() == FData->Count(); });
    }

    QStringList SavedTitles() const
    {
        QStringList titles;
        for (int i = 0; i < FData->Count(); ++i)
            titles << (FData->IsSavedTrack(i) ? FData->getSavedTrack(i).Title : QStringLiteral("(loading)"));
        return titles;
    }

    static QString TrashPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    }

    QStringList MusicFiles() const
    {
        return QDir(GetInstance<TQelmSettings>()->CurrentMusicFolderPath()).entryList(QDir::Files | QDir::Hidden);
    }

    TTempUserFolders FFolders;
    TStandin FStandin;
    std::unique_ptr<TGlobalObjects> FGlobals;
    std::unique_ptr<TVKEmulationManager> FManager;
    std::unique_ptr<TSavedTracksDataSet> FDataSet;
    std::unique_ptr<TLocalAudioData> FData;
    int FChanges = 0;
    int FNoDriveErrors = 0;
    QStringList FFailures;
};

} // namespace

TEST_F(LocalAudioData, DownloadsAreSavedNewestFirstAndPlayFromTheirFiles)
{
    int percentEvents = 0;
    QList<int> started;
    FData->OnItemDownloadPercentChangedEvent = [&](TObject *, int, int) { ++percentEvents; };
    FData->OnDownloadStart = [&](TObject *, int AID, int) { started << AID; };

    FData->DownloadTrack(Item(1, QStringLiteral("Кино"), QStringLiteral("Группа крови"), Tone(7)));
    ASSERT_EQ(FData->Count(), 1);
    EXPECT_FALSE(FData->IsSavedTrack(0));
    EXPECT_THROW(FData->getSavedTrack(0), Exception);
    EXPECT_THROW(FData->GetPlaylistIndexByItemIndex(0), Exception);
    EXPECT_EQ(QFileInfo(FData->getLoadingTrack(0).FileName).fileName(), QStringLiteral("Кино_-_Группа_крови.mp3"));
    ASSERT_TRUE(WaitForSaved(1));
    EXPECT_THROW(FData->getLoadingTrack(0), Exception);
    EXPECT_EQ(started, QList<int> {1});
    EXPECT_GT(percentEvents, 0);

    FData->DownloadTrack(
        Item(2, QStringLiteral("AC/DC"), QStringLiteral("T.N.T."), Tone(3) + QStringLiteral("?extra=1")));
    ASSERT_TRUE(WaitForSaved(2));
    // The same track again takes the next free name.
    FData->DownloadTrack(Item(1, QStringLiteral("Кино"), QStringLiteral("Группа крови"), Tone(7)));
    ASSERT_TRUE(WaitForSaved(3));
    EXPECT_EQ(QFileInfo(FData->getSavedTrack(0).FilePath).fileName(), QStringLiteral("Кино_-_Группа_крови (2).mp3"));
    EXPECT_EQ(QFileInfo(FData->getSavedTrack(1).FilePath).fileName(), QStringLiteral("ACDC_-_T.N.T..mp3"));
    EXPECT_TRUE(FFailures.isEmpty()) << FFailures.join(u'\n').toStdString();

    Restart();
    EXPECT_EQ(SavedTitles(),
        (QStringList {QStringLiteral("Группа крови"), QStringLiteral("T.N.T."), QStringLiteral("Группа крови")}));
    EXPECT_EQ(FData->FindTrackByAID(2, 3001), 1);
    EXPECT_EQ(FData->FindTrackByAID(2, 3002), -1) << "another owner's track of the same number";
    EXPECT_EQ(FData->GetPlaylistIndexByItemIndex(2), 2);
    EXPECT_EQ(FData->Playlist().Count(), 3);

    bool playingFile = false;
    AudioPlayer->OnStartPlayingLocalFile = [&](TObject *) { playingFile = true; };
    AudioPlayer->SetPlaylist(&FData->Playlist());
    AudioPlayer->PlayFirst();
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return playingFile; }));
    AudioPlayer->Stop();
}

TEST_F(LocalAudioData, TracksWithoutURLAreLookedUpFirstEachUnderItsOwnIdentifier)
{
    SignIn();
    QList<TVKAudioRecord> myMusic = ParseAudioList(LoadAudioList(*FManager->CookieManager(), 1001, -2));
    ASSERT_GE(myMusic.size(), 3);
    // Two downloads and a playback look-up within one queue interval: none
    // replaces another.
    for (int i = 0; i < 2; ++i) {
        myMusic[i].URL.clear();
        FData->DownloadTrack(TVKAudioPlaylistItem(myMusic[i]));
    }
    TAudioPlaylist playlist;
    playlist.Tag = 1;
    myMusic[2].URL.clear();
    playlist.Add(std::make_unique<TVKAudioPlaylistItem>(myMusic[2]));
    bool streaming = false;
    AudioPlayer->OnStartPlayingURL = [&](TObject *) { streaming = true; };
    AudioPlayer->SetPlaylist(&playlist);
    AudioPlayer->PlayFirst();

    ASSERT_TRUE(WaitForSaved(2)) << SavedTitles().join(u',').toStdString();
    EXPECT_EQ(FData->FindTrackByAID(myMusic[0].AID, myMusic[0].OwnerID) >= 0, true);
    EXPECT_EQ(FData->FindTrackByAID(myMusic[1].AID, myMusic[1].OwnerID) >= 0, true);
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return streaming; }));
    EXPECT_EQ(FStandin.LogLines().filter(QStringLiteral("\"act\":\"reload_audio\"")).size(), 3);
    AudioPlayer->Stop();
}

TEST_F(LocalAudioData, FailedAndCancelledDownloadsLeaveNoRowAndNoFile)
{
    const struct
    {
        const char *Name;
        TRawTestServer::THandler Handler;
        bool Cancel;
        const char *Failure; // the start of the reported message; null when nothing is reported
    } cases[] = {
        {"refused",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(404, "Not Found", 9) + "not found");
            },
            false, "404 Not Found"},
        {"connection broken",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(300000, 'x'));
            },
            false, "18 "},
        {"cancelled",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(300000, 'x'));
                connection.Stall();
            },
            true, nullptr},
    };
    for (const auto &c : cases) {
        TRawTestServer server(c.Handler);
        FFailures.clear();
        bool progressed = false;
        FData->OnItemDownloadPercentChangedEvent = [&](TObject *, int, int) { progressed = true; };
        FData->DownloadTrack(
            Item(7, QStringLiteral("A"), QStringLiteral("B"), server.URL() + QStringLiteral("/b.mp3")));
        ASSERT_EQ(FData->Count(), 1) << c.Name;
        if (c.Cancel) {
            ASSERT_TRUE(TestEnvironment::WaitFor([&] { return progressed; })) << c.Name;
            // Asked for the trash, a download is still only cancelled.
            EXPECT_EQ(FData->DeleteTrack(0, frMoveToTrash), drDone);
        }
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FData->Count() == 0; })) << c.Name;
        EXPECT_FALSE(QFileInfo::exists(TrashPath() + QStringLiteral("/files"))) << c.Name;
        EXPECT_TRUE(MusicFiles().isEmpty()) << c.Name << ": " << MusicFiles().join(u',').toStdString();
        if (c.Failure) {
            ASSERT_EQ(FFailures.size(), 1) << c.Name;
            EXPECT_TRUE(FFailures[0].startsWith(QStringLiteral("7: ") + QLatin1String(c.Failure)))
                << FFailures[0].toStdString();
        } else {
            EXPECT_TRUE(FFailures.isEmpty()) << c.Name;
        }
        EXPECT_TRUE(FDataSet->Rows().empty()) << c.Name;
    }
    EXPECT_EQ(FNoDriveErrors, 0);
}

TEST_F(LocalAudioData, AMissingDriveIsReportedAndAnUncreatableFolderIsAFailure)
{
    SetMusicFolder(QStringLiteral("/marvane-unplugged-drive/Music"));
    FData->DownloadTrack(Item(1, QStringLiteral("A"), QStringLiteral("B"), Tone(3)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FData->Count() == 0; }));
    EXPECT_EQ(FNoDriveErrors, 1);
    EXPECT_TRUE(FFailures.isEmpty());

    // The drive is there; the folder cannot be made under a file.
    const QString file = FFolders.Root() + QStringLiteral("/not-a-folder");
    QFile(file).open(QIODevice::WriteOnly);
    SetMusicFolder(file + QStringLiteral("/Music"));
    FData->DownloadTrack(Item(2, QStringLiteral("A"), QStringLiteral("B"), Tone(3)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FData->Count() == 0; }));
    EXPECT_EQ(FNoDriveErrors, 1);
    EXPECT_EQ(FFailures.size(), 1);
    EXPECT_TRUE(FDataSet->Rows().empty());
}

// However long the music folder the user chose, the file goes into that
// folder and the table records it there.
TEST_F(LocalAudioData, ALongMusicFolderIsTakenAsItIs)
{
    QString folder = FFolders.Root() + QStringLiteral("/music");
    while (folder.size() < 600)
        folder += QStringLiteral("/Музыка-") + QString(60, u'm');
    SetMusicFolder(folder);
    FData->DownloadTrack(Item(1, QStringLiteral("Кино"), QString(200, u'x'), Tone(3)));
    ASSERT_TRUE(WaitForSaved(1));
    const QString path = FData->getSavedTrack(0).FilePath;
    EXPECT_EQ(QFileInfo(path).path(), folder);
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(FDataSet->Rows().front().Record.FilePath, path);
    EXPECT_TRUE(FFailures.isEmpty()) << FFailures.join(u'\n').toStdString();
}

TEST_F(LocalAudioData, SavedRowsAreFoundByTheirStoredIdentityWhateverFilesVanish)
{
    // Three saved tracks, oldest first; the newest stored by a name relative
    // to the default music folder.
    QDir().mkpath(GetDefaultMusicFolderPath());
    const QString files[] = {FFolders.Root() + QStringLiteral("/music/c.mp3"),
        FFolders.Root() + QStringLiteral("/music/b.mp3"), GetDefaultMusicFolderPath() + QStringLiteral("a.mp3")};
    const QString stored[] = {files[0], files[1], QStringLiteral("a.mp3")};
    QDir().mkpath(FFolders.Root() + QStringLiteral("/music"));
    for (int i = 0; i < 3; ++i) {
        QFile(files[i]).open(QIODevice::WriteOnly);
        const QString title = QString(QChar(u'c' - i));
        FDataSet->Insert({i + 1, 3001, QStringLiteral("X"), title, 3, {}, {}, stored[i]});
    }
    Restart();
    ASSERT_EQ(SavedTitles(), (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(FData->getSavedTrack(0).FilePath, files[2]);
    EXPECT_EQ(FData->FindSavedTrackByFileName(QStringLiteral("a.mp3")), 0);

    // b's file goes outside the program; deleting c must delete c, and only c.
    QFile::remove(files[1]);
    FChanges = 0;
    EXPECT_EQ(FData->DeleteTrack(2, frDeletePermanently), drDone);
    EXPECT_EQ(FChanges, 1);
    EXPECT_FALSE(QFile::exists(files[0]));
    EXPECT_TRUE(QFile::exists(files[2]));
    EXPECT_EQ(SavedTitles(), (QStringList {QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(FData->Playlist().Count(), 2);

    // At the next start b is hidden, and kept.
    Restart();
    EXPECT_EQ(SavedTitles(), QStringList {QStringLiteral("a")});
    EXPECT_EQ(FDataSet->Rows().size(), 2u);
}

TEST_F(LocalAudioData, AFileThatCannotBeDeletedLeavesTheListAndTheTableAgreeing)
{
    // A folder where the file should be: nobody, root included, removes it as a file.
    const QString path = FFolders.Root() + QStringLiteral("/music/stuck.mp3");
    QDir().mkpath(path + QStringLiteral("/inside"));
    FDataSet->Insert({1, 3001, QStringLiteral("X"), QStringLiteral("stuck"), 3, {}, {}, path});
    Restart();
    ASSERT_EQ(FData->Count(), 1);
    FChanges = 0;
    try {
        (void)FData->DeleteTrack(0, frDeletePermanently);
        ADD_FAILURE() << "no error";
    } catch (const Exception &error) {
        EXPECT_FALSE(error.Message().isEmpty());
    }
    EXPECT_EQ(FChanges, 0) << "nothing changed that a view would have to hear of";
    EXPECT_EQ(FData->Count(), 1);
    EXPECT_EQ(FDataSet->Rows().size(), 1u);
    Restart();
    EXPECT_EQ(FData->Count(), 1);
}

// A deleted track's file goes to the desktop's trash. Where it cannot, the
// file and the row stay and the caller hears of it, and only a delete for
// good (after asking the user) removes them.
TEST_F(LocalAudioData, ADeletedFileGoesToTheTrashOrStaysUntilDeletedForGood)
{
    // The home trash serves the files of the home's file system.
    const TScopedEnvironment home("HOME", FFolders.Root());
    const QString music = FFolders.Root() + QStringLiteral("/music");
    QDir().mkpath(music);
    const struct
    {
        const char *Name;
        QString Blocker; // a file where the trash needs a folder
        QString File;
    } cases[] = {
        {"no trash can be made", TrashPath(), QStringLiteral("a.mp3")},
        {"the move fails", TrashPath() + QStringLiteral("/files"), QStringLiteral("b.mp3")},
    };
    for (const auto &c : cases) {
        const QString path = music + u'/' + c.File;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ID3");
        file.close();
        FDataSet->Insert({1, 3001, QStringLiteral("X"), QStringLiteral("T"), 3, {}, {}, path});
        Restart();
        ASSERT_EQ(FData->Count(), 1) << c.Name;

        // Into the trash, with the note the desktop puts it back by.
        FChanges = 0;
        EXPECT_EQ(FData->DeleteTrack(0, frMoveToTrash), drDone) << c.Name;
        EXPECT_EQ(FChanges, 1) << c.Name;
        EXPECT_FALSE(QFile::exists(path)) << c.Name;
        EXPECT_TRUE(QFile::exists(TrashPath() + QStringLiteral("/files/") + c.File)) << c.Name;
        QFile info(TrashPath() + QStringLiteral("/info/") + c.File + QStringLiteral(".trashinfo"));
        EXPECT_TRUE(info.open(QIODevice::ReadOnly)) << c.Name;
        EXPECT_TRUE(info.readAll().contains("\nPath=" + QUrl::toPercentEncoding(path, "/") + '\n')) << c.Name;
        EXPECT_EQ(FData->Count(), 0) << c.Name;
        EXPECT_TRUE(FDataSet->Rows().empty()) << c.Name;

        // Without a trash the file and its row stay.
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        FDataSet->Insert({2, 3001, QStringLiteral("X"), QStringLiteral("T"), 3, {}, {}, path});
        Restart();
        ASSERT_TRUE(QDir(TrashPath()).removeRecursively());
        QDir().mkpath(QFileInfo(c.Blocker).path());
        QFile blocker(c.Blocker);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FChanges = 0;
        EXPECT_EQ(FData->DeleteTrack(0, frMoveToTrash), drNoTrash) << c.Name;
        EXPECT_EQ(FChanges, 0) << c.Name;
        EXPECT_TRUE(QFile::exists(path)) << c.Name;
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("files/") + c.File)) << c.Name << ": not in the working folder";
        EXPECT_EQ(FData->Count(), 1) << c.Name;
        EXPECT_EQ(FDataSet->Rows().size(), 1u) << c.Name;

        // Deleted for good when asked.
        EXPECT_EQ(FData->DeleteTrack(0, frDeletePermanently), drDone) << c.Name;
        EXPECT_EQ(FChanges, 1) << c.Name;
        EXPECT_FALSE(QFile::exists(path)) << c.Name;
        EXPECT_EQ(FData->Count(), 0) << c.Name;
        EXPECT_TRUE(FDataSet->Rows().empty()) << c.Name;
        Restart();
        EXPECT_EQ(FData->Count(), 0) << c.Name;
        QFile::remove(c.Blocker);
    }
}

TEST_F(LocalAudioData, ARowGoneFromTheTableIsAnErrorNotACrash)
{
    const QString path = FFolders.Root() + QStringLiteral("/music/kept.mp3");
    QDir().mkpath(QFileInfo(path).path());
    QFile(path).open(QIODevice::WriteOnly);
    FDataSet->Insert({1, 3001, QStringLiteral("X"), QStringLiteral("kept"), 3, {}, {}, path});
    Restart();
    ASSERT_EQ(FData->Count(), 1);
    // The table is shared: another user of it deleted the row.
    FDataSet->Delete(FDataSet->Rows().front().AutoIncID);
    EXPECT_THROW(FData->getSavedTrack(0), Exception);
    EXPECT_EQ(FData->FindTrackByAID(1, 3001), -1);
    EXPECT_EQ(FData->FindSavedTrackByFileName(path), -1);
    EXPECT_THROW((void)FData->DeleteTrack(0, frMoveToTrash), Exception);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(LocalAudioData, ADownloadRefusedAtShutDownIsAnnouncedGoneAgain)
{
    QList<int> shownCounts;
    FData->OnChanged = [&](TObject *, bool) { shownCounts << FData->Count(); };
    FGlobals.reset();
    FData->DownloadTrack(Item(1, QStringLiteral("A"), QStringLiteral("B"), Tone(3)));
    EXPECT_EQ(shownCounts, (QList<int> {1, 0}));
    EXPECT_TRUE(MusicFiles().isEmpty()) << MusicFiles().join(u',').toStdString();
}

TEST_F(LocalAudioData, ATrackWhoseStreamCannotBeHadIsAFailedDownload)
{
    const auto failed = [this](int AID) {
        return TestEnvironment::WaitFor([&] { return !FFailures.isEmpty(); })
            && FFailures == QStringList {QString::number(AID) + QStringLiteral(": EM_TrackNotFoundVK")};
    };
    // Signed out, the look-up itself fails.
    FData->DownloadTrack(Item(5, QStringLiteral("A"), QStringLiteral("B"), QString()));
    EXPECT_TRUE(failed(5)) << FFailures.join(u'\n').toStdString();

    SignIn();
    const TVKAudioRecord blocked = StandinBlockedTrack(*FManager->CookieManager());
    ASSERT_NE(blocked.AID, 0) << "the catalogue has blocked tracks";
    TVKAudioRecord unknown = blocked;
    unknown.AID = 999999;
    for (const TVKAudioRecord &record : {blocked, unknown}) {
        FFailures.clear();
        FData->DownloadTrack(TVKAudioPlaylistItem(record));
        EXPECT_TRUE(failed(record.AID)) << FFailures.join(u'\n').toStdString();
    }
    EXPECT_EQ(FData->Count(), 0);
    EXPECT_TRUE(MusicFiles().isEmpty());
}

TEST_F(LocalAudioData, ADownloadKilledWithTheProgramLeavesNothingAtTheNextStart)
{
    FData->DownloadTrack(Item(1, QStringLiteral("Finished"), QStringLiteral("Before"), Tone(3)));
    ASSERT_TRUE(WaitForSaved(1));
    const QString music = GetInstance<TQelmSettings>()->CurrentMusicFolderPath();
    const QString strangersPartialFile = QDir(music).filePath(QStringLiteral("somebody-elses.mp3.part"));
    QFile(strangersPartialFile).open(QIODevice::WriteOnly);
    FData.reset();

    TRawTestServer server([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(300000, 'x'));
        connection.Stall();
    });
    TChildProcess child;
    ASSERT_TRUE(child.Start(QStringLiteral(MARVANE_DOWNLOAD_CHILD),
        {server.URL() + QStringLiteral("/midway.mp3"), music}, {.ReadErrors = true}));
    ASSERT_TRUE(child.WaitFor([&] { return child.Output().contains('\n'); }, std::chrono::seconds(30)))
        << child.Errors().toStdString();
    EXPECT_EQ(child.Output().trimmed(), "downloading");
    child.Signal(SIGKILL);
    ASSERT_TRUE(child.WaitForExit(std::chrono::seconds(10)));
    const QString target = QDir(music).filePath(QStringLiteral("Killed_-_Midway.mp3"));
    ASSERT_TRUE(QFile::exists(target + QStringLiteral(".part"))) << "the killed program left its partial file";

    Restart();
    EXPECT_FALSE(QFile::exists(target + QStringLiteral(".part")));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(QFile::exists(strangersPartialFile)) << "a file the program did not start is kept";
    EXPECT_EQ(SavedTitles(), QStringList {QStringLiteral("Before")});
    EXPECT_EQ(FDataSet->Rows().size(), 1u);
}
