// The main window over the real clients, the stand-in and the player with a
// null sink, offscreen.
#include "app/desktop/TDesktopIntegrationUnit.h"
#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/helpers/TVersionInfoUnit.h"
#include "app/shell/ProgramUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "app/shell/TPlaylistPopupUnit.h"
#include "app/shell/TWindowNoteUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/tracklists/TLocalAudioListBoxUnit.h"
#include "ui/tracklists/TPlaylistListBoxUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"
#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"
#include "ui/wrappers/TPlaylistControlsPanelWrapperUnit.h"
#include "ui/wrappers/TSearchEditWrapperUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKWebTestSupport.h"

#include "ui_TMainForm.h"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using TestEnvironment::WaitFor;

namespace {

const QString Login = QStringLiteral("plain@marvane.test");
const QString Password = QStringLiteral("plain-pass");
constexpr int MyMusicSize = 40; // the stand-in's list of that account

// A user with the table the install step leaves and, when asked, the cookie
// file of a sign-in (as marvane-cli login writes it), with the stand-in up.
class TUserWithSession
{
public:
    explicit TUserWithSession(bool SignedIn = true)
    {
        if (!Standin->IsReady())
            return;
        QDir().mkpath(GetProgramDataFolderPath());
        QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), GetSavedTracksDBPath());
        QFile(GetSavedTracksDBPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (!SignedIn)
            return;
        TGlobalObjects globals;
        TVKEmulationManager manager;
        bool signedIn = false;
        manager.AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
        manager.AuthManager().Login(Login, Password);
        SignedInOK = WaitFor([&] { return signedIn; }) && manager.StoreCookies();
        WaitFor([] { return ThreadedObjectsManager->Count() == 0; });
    }

    TTempUserFolders Folders;
    std::unique_ptr<TStandin> Standin = std::make_unique<TStandin>();
    bool SignedInOK = false;
};

QString TrashedFile(const QString &Name)
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files/") + Name;
}

void SelectLanguage(const QString &ISOCode)
{
    for (int i = 0; i < LocalizationManager->GetCount(); ++i)
        if (LocalizationManager->getLocalization(i)->ISOCode() == ISOCode)
            LocalizationManager->SetActiveLocalizationIndex(i);
}

// The window as the program makes it, for a test.
class MainFormTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallStyle(); }

    void Open(bool SignedIn = true)
    {
        User = std::make_unique<TUserWithSession>(SignedIn);
        ASSERT_EQ(User->SignedInOK, SignedIn);
        InitializeLocalizationManager();
        Globals = std::make_unique<TGlobalObjects>();
        Form = THandleCreateExceptionForm::CreateForm<TMainForm>();
        Form->ConfirmProc = [this](const QString &Question) {
            Questions << Question;
            return Answer;
        };
        Form->show();
        QApplication::setActiveWindow(Form.get());
        if (SignedIn) {
            ASSERT_TRUE(WaitFor([&] { return Form->UserAudioData().Count() == MyMusicSize; }));
        }
    }

    void TearDown() override
    {
        if (Form) {
            Form->close();
            Globals.reset();
            Form.reset();
            FinalizeLocalizationManager();
        }
        // The settings keep what they read: the next test has a user of its own.
        THierarchicalSingleton::DoDestroy();
    }

    // The pooled row that shows Index of List, or null when it is out of view.
    template<class TRow> TRow *Row(TDynamicListBox *List, int Index)
    {
        for (TDynamicListPanel *panel : List->ActualItems())
            if (panel->Index() == Index && panel->isVisible())
                return qobject_cast<TRow *>(panel);
        return nullptr;
    }

    bool WaitForState(TAudioPlayerState State)
    {
        return WaitFor([State] { return AudioPlayer->State() == State; }, std::chrono::seconds(15));
    }

    // The first My Music row of the longest tone, long enough to seek in.
    int LongTrack() const
    {
        for (int i = 0; i < Form->UserAudioData().Count(); ++i)
            if (Form->UserAudioData().getTrack(i)->Duration >= 30)
                return i;
        return -1;
    }

    bool PlayLongTrack()
    {
        Form->VKUserAudioListBox()->PlayItem(LongTrack());
        return WaitForState(TAudioPlayerState::psPlaying);
    }

    void PressKeys(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : Form.get();
        QTest::keyClick(target, Key, Modifiers);
    }

    const Ui::TMainFormLayout &Layout() const { return Form->Layout(); }

    std::unique_ptr<TUserWithSession> User;
    std::unique_ptr<TGlobalObjects> Globals;
    std::unique_ptr<TMainForm> Form;
    QStringList Questions;
    bool Answer = false;
};

} // namespace

TEST_F(MainFormTest, WithoutASessionTheWindowOpensOnAnEmptyMyMusicWithASignInPrompt)
{
    Open(false);
    auto *prompt = Form->findChild<QLabel *>(QStringLiteral("SignInPrompt"));
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(WaitFor([&] { return prompt->isVisible(); }));
    EXPECT_FALSE(prompt->text().isEmpty());
    EXPECT_EQ(Layout().MainTabControl->currentWidget(), Layout().UserAudioTabItem);
    EXPECT_EQ(Form->UserAudioData().Count(), 0);
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Marvane Player ") + GetProgramVersionString());
}

TEST_F(MainFormTest, ASignedInStartListsMyMusicAndNamesTheUser)
{
    Open();
    EXPECT_FALSE(Form->findChild<QLabel *>(QStringLiteral("SignInPrompt"))->isVisible());
    EXPECT_TRUE(WaitFor([&] { return Form->windowTitle().contains(QStringLiteral(" | ")); }))
        << Form->windowTitle().toStdString();
    auto *row = Row<TVKAudioListBoxItem>(Form->VKUserAudioListBox(), 0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->TitleLabel->text(),
        Form->UserAudioData().getTrack(0)->Artist + QStringLiteral(" - ") + Form->UserAudioData().getTrack(0)->Title);
    // My Music asked once: a second load would also wait out the queue's
    // pause before the list shows (the search's page comes after both).
    ASSERT_TRUE(WaitFor([&] { return Form->SearchAudioData().Count() > 0; }));
    EXPECT_EQ(User->Standin->LogLines().filter(QStringLiteral("\"act\":\"load_silent\"")).size(), 1);
}

// The main bar starts the visible tab's list; the pop-up's button only
// pauses and resumes.
TEST_F(MainFormTest, MainPlayStartsTheVisibleListWhileThePopupsPlayOnlyResumes)
{
    Open();
    Form->PlaylistControls()->PlayPauseButton()->click();
    QTest::qWait(50);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);

    Form->PlayerControls()->PlayPauseButton()->click();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    EXPECT_TRUE(AudioPlayer->CurrentPlaylistItem()->EqualsTo(Form->UserAudioData().GetPlaylistItemByTrackIndex(0)));
    EXPECT_EQ(Form->PlayerControls()->PlayPauseButtonState(), pbPause);
    EXPECT_EQ(Form->PlaylistControls()->PlayPauseButtonState(), pbPause);

    Form->PlaylistControls()->PlayPauseButton()->click();
    EXPECT_TRUE(WaitForState(TAudioPlayerState::psPaused));
    EXPECT_EQ(Form->PlayerControls()->PlayPauseButtonState(), pbPlay);
    Form->PlaylistControls()->PlayPauseButton()->click();
    EXPECT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
}

// The window's own moves of the seek slider follow the player and never seek;
// a drag seeks once, where it was let go.
TEST_F(MainFormTest, ProgramMovesOfThePositionSliderNeverSeekWhileADragSeeksOnce)
{
    Open();
    ASSERT_TRUE(PlayLongTrack());
    TStyledTrackBar *slider = Form->LoadingProgressBarWrapper()->TrackBar();
    ASSERT_TRUE(WaitFor([] { return AudioPlayer->PlayingPosition() >= 2; }));
    EXPECT_EQ(slider->value(), AudioPlayer->PlayingPosition()) << "the slider follows the player";

    AudioPlayer->Pause();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPaused));
    const int target = AudioPlayer->CurrentPlaylistItem()->Duration - 10;
    slider->setSliderDown(true);
    for (int position = slider->value(); position <= target; ++position)
        slider->setSliderPosition(position);
    EXPECT_LE(AudioPlayer->PlayingPosition(), 3) << "no seek while dragged";
    slider->setSliderDown(false);
    EXPECT_EQ(AudioPlayer->PlayingPosition(), target) << "one seek where the knob was let go";

    // Position updates move the knob without seeking back.
    AudioPlayer->Resume();
    ASSERT_TRUE(WaitFor([&] { return AudioPlayer->PlayingPosition() > target; }));
    EXPECT_EQ(slider->value(), AudioPlayer->PlayingPosition());
}

TEST_F(MainFormTest, TheVolumeIsStoredWhenTheDragEndsAndSurvivesARestart)
{
    Open();
    auto *settings = GetInstance<TQelmSettings>();
    TStyledTrackBar *slider = Form->PlayerControls()->VolumeTrackBar();
    const double stored = settings->Volume();
    slider->setSliderDown(true);
    slider->setSliderPosition(30);
    EXPECT_FLOAT_EQ(AudioPlayer->Volume(), 0.30f) << "the player follows the drag";
    EXPECT_EQ(settings->Volume(), stored) << "nothing written while dragged";
    slider->setSliderDown(false);
    EXPECT_EQ(settings->Volume(), 30.0);

    Form->PlayerControls()->MuteButton()->click();
    EXPECT_TRUE(AudioPlayer->MuteFlag());
    Form->close();
    Globals.reset();
    Form.reset();
    Globals = std::make_unique<TGlobalObjects>();
    Form = THandleCreateExceptionForm::CreateForm<TMainForm>();
    EXPECT_EQ(Form->PlayerControls()->MuteButtonState(), mbMuted);
    EXPECT_TRUE(AudioPlayer->MuteFlag());
    Form->PlayerControls()->MuteButton()->click();
    EXPECT_EQ(Form->PlayerControls()->VolumeTrackBar()->value(), 30);
    EXPECT_FLOAT_EQ(AudioPlayer->Volume(), 0.30f);
}

// Both bars' buffer animations end with the track, whatever ended it, and at
// a whole buffer even when no part of it was seen before.
TEST_F(MainFormTest, TheBufferAnimationsEndWithTheTrackAndAtAWholeBuffer)
{
    Open();
    const auto running = [this] {
        const QAbstractAnimation *main = Form->LoadingProgressBarWrapper()->LoadingAnimation();
        const QAbstractAnimation *popup = Form->PlaylistControls()->LoadingProgressBar()->LoadingAnimation();
        return std::make_pair(main && main->state() == QAbstractAnimation::Running,
            popup && popup->state() == QAbstractAnimation::Running);
    };
    struct TEnd
    {
        const char *Name;
        std::function<void()> Raise;
    };
    const TEnd ends[] = {
        {"stop", [] { AudioPlayer->OnStop(AudioPlayer); }},
        {"connection error", [] { AudioPlayer->OnConnectionError(AudioPlayer); }},
        {"a local file", [] { AudioPlayer->OnStartPlayingLocalFile(AudioPlayer); }},
        {"a whole buffer", [] { AudioPlayer->OnDownloadProgress(AudioPlayer, 100); }},
    };
    for (const TEnd &end : ends) {
        AudioPlayer->OnStop(AudioPlayer);
        AudioPlayer->OnDownloadProgress(AudioPlayer, 20);
        EXPECT_EQ(running(), std::make_pair(true, true)) << end.Name;
        end.Raise();
        EXPECT_EQ(running(), std::make_pair(false, false)) << "still running after " << end.Name;
    }
    AudioPlayer->OnStop(AudioPlayer);
    AudioPlayer->OnDownloadProgress(AudioPlayer, 100);
    EXPECT_EQ(running(), std::make_pair(false, false)) << "a buffer whole at once";
}

TEST_F(MainFormTest, TheKeyboardDrivesThePlayer)
{
    Open();
    const int row = LongTrack();
    Layout().VKUserAudioListBoxSurface->setFocus();
    Form->VKUserAudioListBox()->SetActiveItemIndex(row);
    PressKeys(Qt::Key_Return);
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying)) << "Enter plays the active row";
    EXPECT_TRUE(AudioPlayer->CurrentPlaylistItem()->EqualsTo(Form->UserAudioData().GetPlaylistItemByTrackIndex(row)));
    ASSERT_TRUE(WaitFor([] { return AudioPlayer->PlayingPosition() >= 1; }));

    PressKeys(Qt::Key_Space);
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPaused)) << "Space pauses";
    const int position = AudioPlayer->PlayingPosition();
    PressKeys(Qt::Key_Right);
    EXPECT_EQ(AudioPlayer->PlayingPosition(), position + TMainForm::SeekStep);
    PressKeys(Qt::Key_Left);
    EXPECT_EQ(AudioPlayer->PlayingPosition(), position);
    PressKeys(Qt::Key_Space);
    EXPECT_TRUE(WaitForState(TAudioPlayerState::psPlaying)) << "Space resumes";

    PressKeys(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(WaitFor([this, row] {
        return AudioPlayer->CurrentPlaylistItem()
            && AudioPlayer->CurrentPlaylistItem()->EqualsTo(Form->UserAudioData().GetPlaylistItemByTrackIndex(row + 1));
    })) << "Ctrl+Right: the next track";

    const int volume = Form->PlayerControls()->VolumeTrackBar()->value();
    PressKeys(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Form->PlayerControls()->VolumeTrackBar()->value(), volume - TMainForm::VolumeStep);
    PressKeys(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Form->PlayerControls()->VolumeTrackBar()->value(), volume);

    PressKeys(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), Layout().SearchEditControl) << "Ctrl+F";
    PressKeys(Qt::Key_Space);
    EXPECT_EQ(Layout().SearchEditControl->text(), QStringLiteral(" ")) << "Space types in the search box";
    EXPECT_NE(AudioPlayer->State(), TAudioPlayerState::psPaused);

    Form->PlayerControls()->PlaylistButton()->click();
    ASSERT_TRUE(Form->PlaylistPopup()->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(Form->PlaylistPopup()->isVisible()) << "Esc closes the pop-up";
    EXPECT_FALSE(Form->PlayerControls()->PlaylistButton()->isChecked());
}

TEST_F(MainFormTest, ControlsWithoutTextCarryNamesInTheActiveLanguage)
{
    Open();
    const QList<QWidget *> named = {Form->PlayerControls()->PlayPauseButton(), Form->PlayerControls()->NextButton(),
        Form->PlayerControls()->PrevButton(), Form->PlayerControls()->MuteButton(),
        Form->PlayerControls()->VolumeTrackBar(), Form->LoadingProgressBarWrapper()->TrackBar(),
        Layout().AddToMyMusicButton, Layout().SearchEditControl};
    QStringList english;
    for (QWidget *control : named) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        english << control->accessibleName();
    }
    SelectLanguage(QStringLiteral("ru"));
    for (int i = 0; i < named.size(); ++i)
        EXPECT_NE(named[i]->accessibleName(), english[i]) << named[i]->objectName().toStdString();
    EXPECT_EQ(Layout().UserTabButton->text(), QStringLiteral("Мои аудиозаписи"));
    SelectLanguage(QStringLiteral("en"));
}

// A failed download leaves the buttons and rows as before it started and
// says what failed, without stopping the user.
TEST_F(MainFormTest, AFailedDownloadRestoresTheButtonAndRowsAndSaysWhatFailed)
{
    Open();
    Form->PlayerControls()->PlayPauseButton()->click();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    const auto *track = Form->UserAudioData().getTrack(0);
    const QString name = track->Artist + QStringLiteral(" - ") + track->Title;
    EXPECT_EQ(GetStyleLookup(Layout().SaveButton), QStringLiteral("saveButtonstyle"));

    // The download fails before its first byte: the server has stopped.
    User->Standin.reset();
    Layout().SaveButton->click();
    ASSERT_TRUE(WaitFor([&] { return Form->Note()->isVisible(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(Form->Note()->Text().contains(name)) << Form->Note()->Text().toStdString();
    EXPECT_EQ(Form->LocalAudioData().Count(), 0);
    EXPECT_EQ(GetStyleLookup(Layout().SaveButton), QStringLiteral("saveButtonstyle"));
    auto *row = Row<TVKAudioListBoxItem>(Form->VKUserAudioListBox(), 0);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->DownloadButton->isVisible() && row->DownloadButton->isEnabled());

    // The reason comes as a key of the texts or as the system's own words.
    const auto *vkTrack = Form->VKUserAudioListBox()->VKTrack(0);
    for (const QString &reason : {QStringLiteral("EM_TrackNotFoundVK"), QStringLiteral("Connection refused")}) {
        Form->LocalAudioData().OnDownloadFailed(nullptr, vkTrack->AID, vkTrack->OwnerID, reason);
        EXPECT_TRUE(
            Form->Note()->Text().contains(reason.startsWith(u"EM_") ? LocalizationManager->getValue(reason) : reason))
            << Form->Note()->Text().toStdString();
    }
}

// One click on a row's delete button destroys nothing: a download goes to
// the trash, a My Music track only when the user says so.
TEST_F(MainFormTest, DeletingADownloadTrashesItAndMyMusicAsksFirst)
{
    Open();
    Answer = false;
    Form->VKUserAudioListBox()->OnDeleteFromMyMusic(0);
    ASSERT_EQ(Questions.size(), 1);
    EXPECT_TRUE(Questions[0].contains(Form->UserAudioData().getTrack(0)->Title));
    QTest::qWait(200);
    EXPECT_EQ(Form->UserAudioData().Count(), MyMusicSize) << "kept when the user says no";

    Row<TVKAudioListBoxItem>(Form->VKUserAudioListBox(), 0)->DownloadButton->click();
    ASSERT_TRUE(WaitFor([&] { return Form->LocalAudioData().Count() == 1 && Form->LocalAudioData().IsSavedTrack(0); }));
    const QString file = Form->LocalAudioData().getSavedTrack(0).FilePath;
    Form->LocalAudioListBox()->OnDeleteTrack(0);
    EXPECT_EQ(Form->LocalAudioData().Count(), 0);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(QFile::exists(TrashedFile(QFileInfo(file).fileName()))) << "in the trash";
}

TEST_F(MainFormTest, SizePositionAndTheLastTabAreRemembered)
{
    Open();
    Form->resize(TMainForm::DefaultClientWidth + 200, TMainForm::DefaultClientHeight + 100);
    Layout().LocalTabButton->click();
    Form->close();
    Globals.reset();
    Form.reset();
    Globals = std::make_unique<TGlobalObjects>();
    Form = THandleCreateExceptionForm::CreateForm<TMainForm>();
    Form->show();
    EXPECT_EQ(Form->size(), QSize(TMainForm::DefaultClientWidth + 200, TMainForm::DefaultClientHeight + 100));
    EXPECT_EQ(Layout().MainTabControl->currentWidget(), Layout().LocalAudioTabItem);
    EXPECT_TRUE(Layout().LocalTabButton->isChecked());
}

// Sign in through the cookie file, play, download, find the download on top
// of Downloads, play it from the file, delete it into the trash and exit 0:
// the program body with its real window.
TEST(MainFormEndToEnd, PlayDownloadPlayOfflineDeleteAndExit)
{
    TUserWithSession user;
    ASSERT_TRUE(user.SignedInOK);
    QStringList steps;
    QString trashed;
    QTimer::singleShot(0, [&] {
        TMainForm *form = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *main = qobject_cast<TMainForm *>(window))
                form = main;
        const auto step = [&](const char *Name, bool Done) {
            if (Done)
                steps << QString::fromLatin1(Name);
            return Done;
        };
        const auto run = [&] {
            if (!step("window", form != nullptr))
                return;
            if (!step("my music", WaitFor([&] { return form->UserAudioData().Count() == MyMusicSize; })))
                return;
            form->Layout().UserTabButton->click();
            TVKAudioListBoxItem *row = nullptr;
            for (TDynamicListPanel *panel : form->VKUserAudioListBox()->ActualItems())
                if (panel->Index() == 0)
                    row = qobject_cast<TVKAudioListBoxItem *>(panel);
            if (!step("row", row != nullptr))
                return;
            row->PlayButton->click();
            if (!step("playing", WaitFor([] { return AudioPlayer->State() == TAudioPlayerState::psPlaying; })))
                return;
            form->Layout().SaveButton->click();
            if (!step("downloaded",
                    WaitFor(
                        [&] { return form->LocalAudioData().Count() == 1 && form->LocalAudioData().IsSavedTrack(0); },
                        std::chrono::seconds(20))))
                return;
            form->Layout().LocalTabButton->click();
            auto *local = qobject_cast<TLocalAudioListBoxItem *>(form->LocalAudioListBox()->ActualItems().front());
            if (!step("on top of downloads",
                    local && local->isVisible() && local->TitleLabel->text().contains(row->TitleLabel->text())))
                return;
            local->PlayButton->click();
            if (!step("playing offline", WaitFor([] {
                    return AudioPlayer->State() == TAudioPlayerState::psPlaying
                        && dynamic_cast<const TLocalVKAudioPlaylistItem *>(AudioPlayer->CurrentPlaylistItem());
                })))
                return;
            AudioPlayer->Stop();
            const QString file = form->LocalAudioData().getSavedTrack(0).FilePath;
            form->LocalAudioListBox()->SetMouseInItemIndex(0);
            local->DeleteButton->click();
            trashed = QFileInfo(file).fileName();
            step("deleted", form->LocalAudioData().Count() == 0 && !QFile::exists(file));
        };
        run();
        if (form)
            form->close();
    });
    InitializeLocalizationManager();
    EXPECT_EQ(RunPlayer(), 0);
    FinalizeLocalizationManager();
    EXPECT_EQ(steps.join(u','),
        QStringLiteral("window,my music,row,playing,downloaded,on top of downloads,"
                       "playing offline,deleted"));
    EXPECT_TRUE(QFile::exists(TrashedFile(trashed))) << "the deleted file is in the trash";
}

namespace {

const QString MprisService = QStringLiteral("org.mpris.MediaPlayer2.marvane");
const QString MprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString MprisPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// A notification server that keeps what it is asked to show.
class TNotificationServer : public QDBusVirtualObject
{
public:
    struct TNotice
    {
        uint ReplacesID;
        QString Summary;
        QString Body;
        QString ImagePath;
    };

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &Message, const QDBusConnection &Connection) override
    {
        if (Message.member() != QLatin1String("Notify"))
            return false;
        const QVariantList arguments = Message.arguments();
        const auto hints = qdbus_cast<QVariantMap>(arguments.value(6));
        Notices.push_back({arguments.value(1).toUInt(), arguments.value(3).toString(), arguments.value(4).toString(),
            hints.value(QStringLiteral("image-path")).toString()});
        Connection.send(Message.createReply(QVariant::fromValue(uint(Notices.size()))));
        return true;
    }

    std::vector<TNotice> Notices;
};

// The window with the desktop integration, on a session bus of the test's own.
class MediaControlsTest : public MainFormTest
{
protected:
    void OpenOnBus()
    {
        TChildProcess::TOptions quiet;
        quiet.ReadErrors = true;
        ASSERT_TRUE(Daemon.Start(QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")}, quiet));
        ASSERT_TRUE(Daemon.WaitFor([this] { return Daemon.Output().contains('\n'); }, std::chrono::seconds(10)));
        Address = QString::fromUtf8(Daemon.Output().trimmed());
        // Settings an earlier test left cached (its last tab) would choose what Play starts.
        THierarchicalSingleton::DoDestroy();
        ASSERT_TRUE(Connect(QStringLiteral("notices"))
                        .registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &Notifications));
        ASSERT_TRUE(
            Connect(QStringLiteral("notices")).registerService(QStringLiteral("org.freedesktop.Notifications")));
        Open();
        Desktop = std::make_unique<TDesktopIntegration>(Connect(QStringLiteral("player")), *Form,
            *Form->PlayerControls(), *Form->ArtistImage(), [this] { ++Raised; });
        ASSERT_TRUE(Desktop->IsMediaPlayerRegistered());
    }

    void TearDown() override
    {
        Desktop.reset();
        for (const QString &name : Connections)
            QDBusConnection::disconnectFromBus(name);
        MainFormTest::TearDown();
    }

    QDBusConnection Connect(const QString &Name)
    {
        Connections << Name;
        return QDBusConnection::connectToBus(Address, Name);
    }

    // A call from another client, the loop served meanwhile: the player answers on it.
    QDBusMessage Call(const QString &Interface, const QString &Method, const QVariantList &Arguments = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(MprisService, MprisPath, Interface, Method);
        call.setArguments(Arguments);
        QDBusPendingCall pending = Connect(QStringLiteral("client")).asyncCall(call);
        WaitFor([&] { return pending.isFinished(); });
        return pending.reply();
    }

    QVariant Property(const QString &Name, const QString &Interface = MprisPlayer)
    {
        const QDBusMessage reply
            = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {Interface, Name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Property(QStringLiteral("Metadata"))); }

    // playerctl run to its end against the player, on the test's bus.
    QString Playerctl(const QStringList &Arguments)
    {
        TChildProcess playerctl;
        if (!StartPlayerctl(playerctl, Arguments) || !WaitFor([&] { return playerctl.HasEnded(); }))
            return QStringLiteral("(did not end)");
        return QString::fromUtf8(playerctl.Output()).trimmed();
    }

    bool StartPlayerctl(TChildProcess &Process, const QStringList &Arguments)
    {
        TChildProcess::TOptions options;
        options.Environment << QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + Address;
        return Process.Start(QStandardPaths::findExecutable(QStringLiteral("playerctl")),
            QStringList {QStringLiteral("--player=marvane")} + Arguments, options);
    }

    TChildProcess Daemon;
    QString Address;
    QStringList Connections;
    TNotificationServer Notifications;
    std::unique_ptr<TDesktopIntegration> Desktop;
    int Raised = 0;
};

} // namespace

TEST_F(MediaControlsTest, PlayPauseNextMetadataAndStatusFollowThePlayer)
{
    ASSERT_NO_FATAL_FAILURE(OpenOnBus());
    EXPECT_EQ(Property(QStringLiteral("Identity"), QStringLiteral("org.mpris.MediaPlayer2")).toString(),
        QStringLiteral("Marvane Player"));
    EXPECT_EQ(Property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    EXPECT_EQ(Metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
        QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));

    Call(MprisPlayer, QStringLiteral("PlayPause"));
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying)) << "from a stop it starts the list in view";
    const TCustomPlaylistItem *first = Form->UserAudioData().GetPlaylistItemByTrackIndex(0);
    EXPECT_TRUE(AudioPlayer->CurrentPlaylistItem()->EqualsTo(first));
    EXPECT_EQ(Property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), first->Title);
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:artist")).toStringList(), QStringList {first->Artist});
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:length")).toLongLong(), qlonglong(first->Duration) * 1000000);
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
        QStringLiteral("/org/marvane/Player/Track/0"));
    // The window's picture of the artist, as a file the desktop can read.
    ASSERT_TRUE(WaitFor([&] { return Metadata().contains(QStringLiteral("mpris:artUrl")); }));
    const QUrl art(Metadata().value(QStringLiteral("mpris:artUrl")).toString());
    EXPECT_FALSE(QImage(art.toLocalFile()).isNull()) << art.toString().toStdString();

    Call(MprisPlayer, QStringLiteral("Next"));
    const TCustomPlaylistItem *second = Form->UserAudioData().GetPlaylistItemByTrackIndex(1);
    ASSERT_TRUE(WaitFor([&] {
        return AudioPlayer->State() == TAudioPlayerState::psPlaying
            && AudioPlayer->CurrentPlaylistItem()->EqualsTo(second);
    }));
    EXPECT_EQ(Metadata().value(QStringLiteral("xesam:title")).toString(), second->Title);

    Call(MprisPlayer, QStringLiteral("PlayPause"));
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPaused));
    EXPECT_EQ(Property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Paused"));
    EXPECT_EQ(Form->PlayerControls()->PlayPauseButtonState(), pbPlay) << "the window shows the pause";

    // The volume goes through the window's slider, and is stored as a drag of it is.
    Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
        {MprisPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.25))});
    EXPECT_FLOAT_EQ(AudioPlayer->Volume(), 0.25f);
    EXPECT_EQ(Form->PlayerControls()->VolumeTrackBar()->value(), 25);
    EXPECT_DOUBLE_EQ(GetInstance<TQelmSettings>()->Volume(), 25.0);
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("Volume")).toDouble(), 0.25);

    Call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    EXPECT_EQ(Raised, 1);

    // Seeks: to a place of the playing track, by an offset, and never to a place of another track.
    ASSERT_TRUE(PlayLongTrack());
    AudioPlayer->Pause();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPaused));
    const QVariant track = Metadata().value(QStringLiteral("mpris:trackid"));
    Call(MprisPlayer, QStringLiteral("SetPosition"), {track, qlonglong(20000000)});
    EXPECT_EQ(AudioPlayer->PlayingPosition(), 20);
    Call(MprisPlayer, QStringLiteral("Seek"), {qlonglong(-5000000)});
    EXPECT_EQ(AudioPlayer->PlayingPosition(), 15);
    Call(MprisPlayer, QStringLiteral("SetPosition"),
        {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/marvane/Player/Track/999"))), qlonglong(3000000)});
    EXPECT_EQ(AudioPlayer->PlayingPosition(), 15) << "a place of another track";
    EXPECT_EQ(Property(QStringLiteral("Position")).toLongLong(), 15000000);
    Call(MprisPlayer, QStringLiteral("Stop"));
    EXPECT_TRUE(WaitForState(TAudioPlayerState::psStopped));
    EXPECT_EQ(Property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
}

// playerctl, a real client, drives the player, and its "--follow" sees each
// change as the player announces it.
TEST_F(MediaControlsTest, PlayerctlDrivesThePlayerAndFollowsItsChanges)
{
    ASSERT_NO_FATAL_FAILURE(OpenOnBus());
    TChildProcess follower;
    ASSERT_TRUE(StartPlayerctl(follower, {QStringLiteral("--follow"), QStringLiteral("status")}));
    ASSERT_TRUE(WaitFor([&] { return follower.HasEnded() || follower.Output().contains("Stopped"); }));

    Playerctl({QStringLiteral("play")});
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    const TCustomPlaylistItem *first = Form->UserAudioData().GetPlaylistItemByTrackIndex(0);
    EXPECT_EQ(
        Playerctl({QStringLiteral("metadata"), QStringLiteral("--format"), QStringLiteral("{{artist}} - {{title}}")}),
        first->Artist + QStringLiteral(" - ") + first->Title);
    EXPECT_EQ(Playerctl({QStringLiteral("status")}), QStringLiteral("Playing"));

    Playerctl({QStringLiteral("next")});
    const TCustomPlaylistItem *second = Form->UserAudioData().GetPlaylistItemByTrackIndex(1);
    ASSERT_TRUE(WaitFor(
        [&] { return AudioPlayer->CurrentPlaylistItem() && AudioPlayer->CurrentPlaylistItem()->EqualsTo(second); }));
    // While a track connects the button waits; the pause is asked of a playing one.
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    Playerctl({QStringLiteral("play-pause")});
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPaused));
    EXPECT_TRUE(WaitFor([&] { return follower.HasEnded() || follower.Output().contains("Paused"); }));
    const QString followed = QString::fromUtf8(follower.Output());
    EXPECT_EQ(followed.split(u'\n', Qt::SkipEmptyParts).first(), QStringLiteral("Stopped"));
    EXPECT_LT(followed.indexOf(QStringLiteral("Playing")), followed.indexOf(QStringLiteral("Paused")))
        << followed.toStdString();

    Playerctl({QStringLiteral("volume"), QStringLiteral("0.4")});
    EXPECT_EQ(Form->PlayerControls()->VolumeTrackBar()->value(), 40);
    Playerctl({QStringLiteral("stop")});
    EXPECT_TRUE(WaitForState(TAudioPlayerState::psStopped));
}

// A notice names each new track while the window is not active, then gets
// the artist's picture; none while the window is active or once turned off.
TEST_F(MediaControlsTest, ANoticeNamesEachNewTrackWhileTheWindowIsNotActive)
{
    ASSERT_NO_FATAL_FAILURE(OpenOnBus());
    ASSERT_TRUE(Form->isActiveWindow());
    Form->PlayerControls()->PlayPauseButton()->click();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    QTest::qWait(200);
    EXPECT_TRUE(Notifications.Notices.empty()) << "the window is active";

    Form->clearFocus();
    QApplication::setActiveWindow(nullptr);
    ASSERT_FALSE(Form->isActiveWindow());
    AudioPlayer->Next();
    const TCustomPlaylistItem *second = Form->UserAudioData().GetPlaylistItemByTrackIndex(1);
    ASSERT_TRUE(WaitFor([&] { return !Notifications.Notices.empty(); }));
    EXPECT_EQ(Notifications.Notices[0].Summary, second->Title);
    EXPECT_EQ(Notifications.Notices[0].Body, second->Artist.toHtmlEscaped());
    EXPECT_EQ(Notifications.Notices[0].ReplacesID, 0u);
    // One notice a track: its connection and its start make no second one.
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    if (Notifications.Notices[0].ImagePath.isEmpty()) {
        ASSERT_TRUE(WaitFor([&] { return Notifications.Notices.size() == 2; })) << "the picture follows";
        EXPECT_EQ(Notifications.Notices[1].ReplacesID, 1u);
        EXPECT_EQ(Notifications.Notices[1].Summary, second->Title);
    }
    EXPECT_FALSE(QImage(QUrl(Notifications.Notices.back().ImagePath).toLocalFile()).isNull());
    // The next track's notice takes the place of this one: they never pile up.
    const std::size_t secondNotices = Notifications.Notices.size();
    AudioPlayer->Next();
    ASSERT_TRUE(WaitFor([&] { return Notifications.Notices.size() > secondNotices; }));
    EXPECT_EQ(
        Notifications.Notices[secondNotices].Summary, Form->UserAudioData().GetPlaylistItemByTrackIndex(2)->Title);
    EXPECT_EQ(Notifications.Notices[secondNotices].ReplacesID, uint(secondNotices));
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    QTest::qWait(200);
    const std::size_t shown = Notifications.Notices.size();

    GetInstance<TQelmSettings>()->SetTrackNotificationsFlag(false);
    AudioPlayer->Next();
    ASSERT_TRUE(
        WaitFor([&] { return AudioPlayer->CurrentPlaylistItem() && AudioPlayer->CurrentPlaylistIndex() == 3; }));
    QTest::qWait(200);
    EXPECT_EQ(Notifications.Notices.size(), shown) << "turned off";
}

// Without a session bus the window plays on and nothing is said.
TEST_F(MainFormTest, WithoutASessionBusTheDesktopIntegrationStaysSilent)
{
    Open();
    const TDesktopIntegration desktop(
        QDBusConnection(QStringLiteral("no bus")), *Form, *Form->PlayerControls(), *Form->ArtistImage(), [] {});
    EXPECT_FALSE(desktop.IsMediaPlayerRegistered());
    Form->PlayerControls()->PlayPauseButton()->click();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    AudioPlayer->Next();
    EXPECT_TRUE(WaitFor([] { return AudioPlayer->CurrentPlaylistIndex() == 1; }));
}
