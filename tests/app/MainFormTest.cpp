// The main window over the real clients, the stand-in and the player with a
// null sink, offscreen.
#include "app/desktop/TDesktopIntegrationUnit.h"
#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/helpers/TVersionInfoUnit.h"
#include "app/shell/ProgramUnit.h"
#include "app/shell/TMainFormTooltipUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "app/shell/TPlaylistPopupUnit.h"
#include "app/shell/TWindowNoteUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "metadata/views/TMetaDataViewsManagerUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/auth/TAuthOverlayUnit.h"
#include "ui/auth/TAuthSignupPanelUnit.h"
#include "ui/auth/TCaptchaManagerViewUnit.h"
#include "ui/auth/TCaptchaPanelUnit.h"
#include "ui/auth/TFieldStatusIndicatorWrapperUnit.h"
#include "ui/auth/TPlaceholderEditWrapperUnit.h"
#include "ui/auth/TVKAPISignupDataViewUnit.h"
#include "ui/auth/TVKEmulationAuthManagerViewUnit.h"
#include "ui/tracklists/TLocalAudioListBoxUnit.h"
#include "ui/tracklists/TPlaylistListBoxUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"
#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"
#include "ui/wrappers/TPlaylistControlsPanelWrapperUnit.h"
#include "ui/wrappers/TSearchEditWrapperUnit.h"
#include "ui/wrappers/TTitleLabelWrapperUnit.h"
#include "ui/wrappers/TTooltipUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
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
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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
    TAuthSignupPanel &Panel() const { return Form->AuthOverlay().Panel(); }

    // Types into the edit as the user would, replacing what it holds.
    static void Type(QLineEdit *Edit, const QString &Text)
    {
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClick(Edit, Qt::Key_Delete);
        QTest::keyClicks(Edit, Text);
    }

    bool WaitForOverlay(bool Shown)
    {
        return WaitFor([&] { return Form->AuthOverlay().IsShown() == Shown; });
    }

    void LogIn(const QString &ALogin, const QString &APassword)
    {
        Type(Panel().LoginEdit, ALogin);
        Type(Panel().PasswordEdit, APassword);
        QTest::keyClick(Panel().PasswordEdit, Qt::Key_Return);
    }

    // The requests the stand-in served on one of its hosts.
    int Requests(const char *Host, const char *Path = "") const
    {
        int count = 0;
        for (const QString &line : User->Standin->LogLines())
            if (line.contains(QStringLiteral("\"host\":\"%1\"").arg(QLatin1String(Host)))
                && line.contains(QLatin1String(Path)))
                ++count;
        return count;
    }

    std::unique_ptr<TUserWithSession> User;
    std::unique_ptr<TGlobalObjects> Globals;
    std::unique_ptr<TMainForm> Form;
    QStringList Questions;
    bool Answer = false;
};

} // namespace

TEST_F(MainFormTest, WithoutASessionTheWindowOpensOnTheLoginPage)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    EXPECT_EQ(Panel().TabControl->currentWidget(), Panel().AuthTabControl);
    EXPECT_EQ(Panel().AuthTabControl->currentIndex(), TVKEmulationAuthManagerView::LoginTabIndex);
    EXPECT_TRUE(Panel().LoginEdit->hasFocus());
    EXPECT_TRUE(Panel().AuthTabButton->isChecked());
    EXPECT_FALSE(Panel().SignupTabButton->isChecked());
    EXPECT_EQ(Panel().geometry(), Form->centralWidget()->rect()) << "over the whole window";
    EXPECT_EQ(Layout().MainTabControl->currentWidget(), Layout().UserAudioTabItem);
    EXPECT_EQ(Form->UserAudioData().Count(), 0);
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Marvane Player ") + GetProgramVersionString());
}

TEST_F(MainFormTest, ASignedInStartListsMyMusicAndNamesTheUser)
{
    Open();
    EXPECT_FALSE(Form->AuthOverlay().IsShown());
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
// The playing track's artist is a link to the artist's page; Play there plays
// the page's tracks.
TEST_F(MainFormTest, ThePlayingArtistOpensItsPageWhoseTracksMainPlayPlays)
{
    Open();
    Form->PlayerControls()->PlayPauseButton()->click();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    const QString artist = Form->TitleLabel()->Artist();
    ASSERT_FALSE(artist.isEmpty());
    QTest::mouseClick(Form->TitleLabel()->ArtistText(), Qt::LeftButton);
    TMetaDataViewsManager &views = *Form->MetaDataViews();
    EXPECT_EQ(views.Mode(), mmArtistSearch);
    EXPECT_EQ(views.ActiveTab(), atArtist);
    EXPECT_EQ(views.ArtistData().Artist(), artist);
    EXPECT_EQ(Layout().MainTabControl->currentWidget(), Layout().SearchAudioTabItem);
    EXPECT_EQ(Layout().SearchTabControl->currentWidget(), Layout().MetaSearchTabItem);
    EXPECT_EQ(Layout().MetaDataTabControl->currentWidget(), Layout().ArtistPageTabItem);
    ASSERT_TRUE(WaitFor([&] { return views.CurrentPagePlaylist() && views.CurrentPagePlaylist()->Count() > 0; },
        std::chrono::seconds(20)));

    AudioPlayer->Stop();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psStopped));
    Form->PlayerControls()->PlayPauseButton()->click();
    ASSERT_TRUE(WaitForState(TAudioPlayerState::psPlaying));
    EXPECT_TRUE(AudioPlayer->CurrentPlaylistItem()->EqualsTo(views.CurrentPagePlaylist()->getItem(0)));
}

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
// The web sign-in's events as the overlay shows them: a wrong password, the
// right one, the title with the name and the logout button after it, a logout
// back to the form with the password gone, and the next user's two-step check
// with a wrong and then the right code, whose own list then loads.
TEST_F(MainFormTest, TheOverlaySignsInLogsOutAndSignsTheNextUserInWithACode)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    QLabel *errorText = Panel().LoginErrorText;

    LogIn(Login, QStringLiteral("wrong"));
    ASSERT_TRUE(WaitFor([&] { return Panel().LoginErrorLayout->isVisible(); }));
    EXPECT_EQ(errorText->text(), LocalizationManager->getValue(QStringLiteral("EM_IncorrectPassword")));
    EXPECT_FALSE(Panel().LoginAniIndicator->isVisible());
    EXPECT_FALSE(Panel().RetryButton->isVisible());

    LogIn(Login, Password);
    EXPECT_TRUE(Panel().LoginAniIndicator->isVisible()) << "busy while the sign-in runs";
    ASSERT_TRUE(WaitForOverlay(false));
    ASSERT_TRUE(WaitFor([&] { return Form->UserAudioData().Count() == MyMusicSize; }));
    ASSERT_TRUE(WaitFor([&] { return Form->windowTitle().endsWith(QStringLiteral("Ivan Petrov")); }))
        << Form->windowTitle().toStdString();
    auto *title = Layout().WindowBorder->findChild<QLabel *>(QStringLiteral("title"));
    auto *logout = Layout().WindowBorder->findChild<QAbstractButton *>(QStringLiteral("logouttitlebutton"));
    ASSERT_TRUE(title && logout);
    EXPECT_EQ(title->text(), Form->windowTitle());
    EXPECT_TRUE(logout->isVisible());
    // Once the strip is laid out again for the longer caption and the button.
    EXPECT_TRUE(WaitFor([&] {
        return logout->x() >= title->geometry().right() && logout->x() <= title->geometry().right() + 12;
    })) << "right after the caption: "
        << logout->x() << " against " << title->geometry().right();
    EXPECT_LE(title->width(), title->sizeHint().width()) << "the caption as wide as its text, not the strip";

    logout->click();
    ASSERT_TRUE(WaitForOverlay(true));
    EXPECT_TRUE(Panel().PasswordEdit->text().isEmpty());
    EXPECT_EQ(Panel().LoginEdit->text(), Login) << "the login is kept for the next sign-in";
    EXPECT_FALSE(logout->isVisible());
    EXPECT_FALSE(Form->windowTitle().contains(QStringLiteral(" | ")));
    EXPECT_EQ(Form->UserAudioData().Count(), 0);

    LogIn(QStringLiteral("twostep@marvane.test"), QStringLiteral("twostep-pass"));
    ASSERT_TRUE(
        WaitFor([&] { return Panel().AuthTabControl->currentIndex() == TVKEmulationAuthManagerView::VerifyTabIndex; }));
    EXPECT_TRUE(Panel().VerifyCodeEdit->hasFocus());
    QTest::keyClick(Panel().VerifyCodeEdit, Qt::Key_Return);
    EXPECT_FALSE(Panel().VerifyAniIndicator->isVisible()) << "an empty code is not sent";
    Type(Panel().VerifyCodeEdit, QStringLiteral("000000"));
    QTest::keyClick(Panel().VerifyCodeEdit, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Panel().VerifyErrorLayout->isVisible(); }));
    EXPECT_EQ(Panel().VerifyErrorText->text(), LocalizationManager->getValue(QStringLiteral("EM_IncorrectAuthCode")));
    Type(Panel().VerifyCodeEdit, QStringLiteral("123456"));
    Panel().VerifyButton->click();
    ASSERT_TRUE(WaitForOverlay(false));
    EXPECT_TRUE(WaitFor([&] { return Form->UserAudioData().Count() == 6; })) << "the next user's own list";
    EXPECT_TRUE(WaitFor([&] { return Form->windowTitle().endsWith(QStringLiteral("Oleg Sokolov")); }));
}

// Enter in an empty password sends nothing; a placeholder goes with the focus
// and comes back when its field is left empty; every field is named by its
// placeholder and the Tab key walks the form in reading order.
TEST_F(MainFormTest, TheFormsKeepThePlaceholderEnterAndTabRules)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    TVKEmulationAuthManagerView &view = Form->AuthOverlay().EmulationAuthView();
    Type(Panel().LoginEdit, Login);
    Panel().PasswordEdit->setFocus();
    QTest::keyClick(Panel().PasswordEdit, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(Requests("login"), 0) << "an empty password is not sent";
    EXPECT_FALSE(Panel().LoginAniIndicator->isVisible());

    EXPECT_FALSE(view.PasswordEdit().IsPlaceholderShown()) << "focused";
    Panel().LoginEdit->setFocus();
    EXPECT_TRUE(view.PasswordEdit().IsPlaceholderShown()) << "left empty";
    EXPECT_FALSE(view.LoginEdit().IsPlaceholderShown()) << "holds text";

    Panel().SignupTabButton->click();
    EXPECT_EQ(Panel().TabControl->currentWidget(), Panel().SignupDataViewTabControl);
    const QList<QWidget *> order = {Panel().FirstNameEdit, Panel().LastNameEdit, Panel().PhoneEdit,
        Panel().SignupPasswordEdit, Panel().PasswordConfirmationEdit, Panel().SexMaleRadioButton, Panel().SignupButton};
    for (QWidget *field : order)
        EXPECT_FALSE(field->accessibleName().isEmpty() && qobject_cast<QLineEdit *>(field))
            << field->objectName().toStdString();
    EXPECT_EQ(Panel().PhoneEdit->accessibleName(),
        LocalizationManager->getValue(QStringLiteral("SPC_PhoneEdit_Placeholder")));
    order.front()->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
    Panel().AuthTabButton->click();
    Panel().AuthTabButton->setFocus();
    // The tabs are one group: Tab reaches the chosen one, the arrows the other.
    for (QWidget *field : {static_cast<QWidget *>(Panel().LoginEdit), static_cast<QWidget *>(Panel().PasswordEdit),
             static_cast<QWidget *>(Panel().LoginButton)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), field)
            << field->objectName().toStdString() << " " << QApplication::focusWidget()->objectName().toStdString();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(Panel().isAncestorOf(QApplication::focusWidget())
        || Layout().WindowBorder->isAncestorOf(QApplication::focusWidget()))
        << "nothing under the overlay takes the focus: " << QApplication::focusWidget()->objectName().toStdString();
}

// The captcha account: its picture on the captcha overlay, left with Esc,
// asked again and answered, then signed in.
TEST_F(MainFormTest, ACaptchaOfTheSignInIsAnsweredOnTheCaptchaOverlay)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    LogIn(QStringLiteral("captcha@marvane.test"), QStringLiteral("captcha-pass"));
    TCaptchaPanel &captcha = Form->AuthOverlay().CaptchaPanel();
    ASSERT_TRUE(WaitFor([&] { return captcha.isVisible(); }));
    EXPECT_EQ(Form->AuthOverlay().CaptchaView().Asker(), TCaptchaManagerView::caVKEmulation);
    EXPECT_EQ(captcha.CaptchaImage->pixmap().size(), QSize(130, 50));
    EXPECT_EQ(captcha.CaptchaImageBorderRectangle->size(), QSize(132, 52));
    EXPECT_TRUE(captcha.CaptchaEdit->hasFocus());
    // Esc leaves it unanswered: the form is ready for another try.
    QTest::keyClick(captcha.CaptchaEdit, Qt::Key_Escape);
    EXPECT_FALSE(captcha.isVisible());
    EXPECT_FALSE(Panel().LoginAniIndicator->isVisible());
    EXPECT_TRUE(Form->AuthOverlay().IsShown());
    Panel().LoginButton->click();
    ASSERT_TRUE(WaitFor([&] { return captcha.isVisible(); }));
    QTest::keyClicks(captcha.CaptchaEdit, QStringLiteral("38516"));
    QTest::keyClick(captcha.CaptchaEdit, Qt::Key_Return);
    EXPECT_FALSE(captcha.isVisible());
    ASSERT_TRUE(WaitForOverlay(false));
    EXPECT_TRUE(WaitFor([&] { return Form->windowTitle().endsWith(QString::fromUtf8("Анна Смирнова")); }));
}

// A captcha the VK API asks for (here by a user-name request) is answered to
// the VK API: the name comes, and no login is posted with its answer.
TEST_F(MainFormTest, ACaptchaOfTheVKAPIIsAnsweredToTheVKAPIOnly)
{
    Open();
    const int logins = Requests("login");
    Form->VKAPIManager().RequestUserName(1014);
    TCaptchaPanel &captcha = Form->AuthOverlay().CaptchaPanel();
    ASSERT_TRUE(WaitFor([&] { return captcha.isVisible(); }));
    EXPECT_EQ(Form->AuthOverlay().CaptchaView().Asker(), TCaptchaManagerView::caVKAPI);
    QTest::keyClicks(captcha.CaptchaEdit, QStringLiteral("38516"));
    captcha.EnterButton->click();
    EXPECT_TRUE(WaitFor([&] { return Form->VKAPIManager().UserName() == QStringLiteral("Captcha Keeper"); }))
        << Form->VKAPIManager().UserName().toStdString();
    EXPECT_EQ(Requests("login"), logins) << "the answer went into the web sign-in";
    EXPECT_FALSE(Form->AuthOverlay().IsShown());
}

// The stored session cannot be checked (the site is down at the start): the
// login page with the reason and a retry, not an empty player.
TEST_F(MainFormTest, AFailedCheckOfTheStoredSessionOffersARetry)
{
    User = std::make_unique<TUserWithSession>(true);
    ASSERT_TRUE(User->SignedInOK);
    User->Standin.reset();
    InitializeLocalizationManager();
    Globals = std::make_unique<TGlobalObjects>();
    Form = THandleCreateExceptionForm::CreateForm<TMainForm>();
    Form->show();
    ASSERT_TRUE(WaitForOverlay(true));
    EXPECT_EQ(Panel().AuthTabControl->currentIndex(), TVKEmulationAuthManagerView::LoginTabIndex);
    EXPECT_TRUE(Panel().LoginErrorLayout->isVisible());
    EXPECT_EQ(
        Panel().LoginErrorText->text(), LocalizationManager->getValue(QStringLiteral("APC_SessionCheckFailed_Text")));
    ASSERT_TRUE(Panel().RetryButton->isVisible());

    // The site is back (elsewhere, so the old session is unknown there): the
    // retry checks again and asks for the password.
    User->Standin = std::make_unique<TStandin>();
    ASSERT_TRUE(User->Standin->IsReady());
    Panel().RetryButton->click();
    EXPECT_FALSE(Panel().LoginErrorLayout->isVisible());
    EXPECT_TRUE(WaitFor([&] { return Requests("web", "/feed") > 0; }));
    EXPECT_TRUE(WaitFor([&] { return !Panel().LoginAniIndicator->isVisible(); }));
    EXPECT_TRUE(Form->AuthOverlay().IsShown());
    EXPECT_FALSE(Panel().LoginErrorLayout->isVisible());
}

// The marks of the sign-up fields with their words; a form sent empty warns
// once for each refused field and sends nothing.
TEST_F(MainFormTest, TheSignupMarksSayTheirStatusInWordsAndRefusedFieldsWarnOnce)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    Panel().SignupTabButton->click();
    TVKAPISignupDataView &view = Form->AuthOverlay().SignupView();
    const auto text = [](const char *Key) { return LocalizationManager->getValue(QString::fromLatin1(Key)); };

    Panel().SignupButton->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.PhoneEdit().WarningCount(), 1);
    EXPECT_EQ(view.PasswordEdit().WarningCount(), 1);
    EXPECT_EQ(view.PasswordConfirmationEdit().WarningCount(), 1);
    EXPECT_EQ(view.FirstNameEdit().WarningCount(), 0);
    EXPECT_EQ(Requests("relay", "auth.signup"), 0);

    Type(Panel().SignupPasswordEdit, QStringLiteral("12345"));
    EXPECT_EQ(view.PasswordFieldStatusIndicator().Status(), fsError);
    EXPECT_EQ(view.PasswordFieldStatusIndicator().Words(),
        text("EM_PasswordTooShort").replace(QStringLiteral("%d"), QStringLiteral("6")));
    EXPECT_EQ(Panel().PasswordStatusPanel->toolTip(), view.PasswordFieldStatusIndicator().Words());
    QTest::keyClicks(Panel().SignupPasswordEdit, QStringLiteral("6"));
    EXPECT_EQ(view.PasswordFieldStatusIndicator().Status(), fsOK);
    EXPECT_EQ(view.PasswordFieldStatusIndicator().Words(), text("SPC_FieldStatusOK_Text"));

    Type(Panel().PasswordConfirmationEdit, QStringLiteral("123457"));
    EXPECT_EQ(view.PConfirmationFieldStatusIndicator().Status(), fsError);
    EXPECT_EQ(view.PConfirmationFieldStatusIndicator().Words(), text("EM_InvalidPasswordConfirmation"));

    Type(Panel().PhoneEdit, QStringLiteral("+79990000001"));
    EXPECT_TRUE(WaitFor([&] { return view.PhoneFieldStatusIndicator().Words() == text("EM_UsedPhone"); }))
        << view.PhoneFieldStatusIndicator().Words().toStdString();
    EXPECT_EQ(view.PhoneFieldStatusIndicator().Status(), fsError);
    EXPECT_TRUE(Panel().PhoneStatusText->isVisible());
}

// A new account: the confirmation page, a code again by call, then the Log
// In page with the phone filled in and a note of success.
TEST_F(MainFormTest, ASuccessfulSignupLeadsToTheLoginPageWithThePhone)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    Panel().SignupTabButton->click();
    const QString phone = QStringLiteral("+79990004242");
    Type(Panel().FirstNameEdit, QStringLiteral("Nina"));
    Type(Panel().LastNameEdit, QStringLiteral("Orlova"));
    Type(Panel().PhoneEdit, phone);
    Type(Panel().SignupPasswordEdit, QStringLiteral("secret-pass"));
    Type(Panel().PasswordConfirmationEdit, QStringLiteral("secret-pass"));
    TVKAPISignupDataView &view = Form->AuthOverlay().SignupView();
    ASSERT_TRUE(WaitFor([&] { return view.PhoneFieldStatusIndicator().Status() == fsOK; }));
    QTest::keyClick(Panel().PasswordConfirmationEdit, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Panel().SignupDataViewTabControl->currentIndex() == 1; }));
    EXPECT_TRUE(Panel().AuthCodeEdit->text().isEmpty());

    Panel().RepeatTypeCallRadioButton->click();
    Panel().RepeatCodeButton->click();
    EXPECT_TRUE(
        WaitFor([&] { return Requests("relay", "auth.signup") == 2 && Panel().RepeatCodeButton->isEnabled(); }));
    EXPECT_FALSE(Panel().ConfirmErrorLayout->isVisible());

    Type(Panel().AuthCodeEdit, QStringLiteral("11111"));
    Panel().ConfirmButton->click();
    ASSERT_TRUE(WaitFor([&] { return Panel().ConfirmErrorLayout->isVisible(); }));
    Type(Panel().AuthCodeEdit, QStringLiteral("24680"));
    QTest::keyClick(Panel().AuthCodeEdit, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Panel().TabControl->currentWidget() == Panel().AuthTabControl; }));
    EXPECT_EQ(Panel().LoginEdit->text(), phone);
    EXPECT_TRUE(Panel().PasswordEdit->hasFocus());
    EXPECT_TRUE(Panel().LoginNoteText->isVisible());
    EXPECT_EQ(Panel().LoginNoteText->text(), LocalizationManager->getValue(QStringLiteral("APC_SignedUp_Note")));
    EXPECT_TRUE(Panel().AuthTabButton->isChecked());
}

// The overlays' captions, the tabs' least widths and the form's widths follow the language.
TEST_F(MainFormTest, TheOverlaysAndTabWidthsFollowTheLanguage)
{
    Open(false);
    ASSERT_TRUE(WaitForOverlay(true));
    SelectLanguage(QStringLiteral("ru"));
    EXPECT_EQ(Panel().FirstNameEdit->width(), TAuthSignupPanel::RussianWidths.FirstNameEdit);
    EXPECT_EQ(Panel().AuthTabButton->text(), QString::fromUtf8("Вход"));
    EXPECT_EQ(Panel().LoginEdit->accessibleName(),
        LocalizationManager->getValue(QStringLiteral("APC_LoginEdit_Placeholder")));
    EXPECT_EQ(Layout().UserTabButton->minimumWidth(), 117);
    EXPECT_EQ(Layout().SearchTabButtonsRectangle->minimumWidth(), 160);
    EXPECT_GE(Layout().UserTabButton->width(), 117);
    SelectLanguage(QStringLiteral("en"));
    EXPECT_EQ(Layout().UserTabButton->minimumWidth(), 90);
    EXPECT_EQ(Layout().SearchTabButtonsRectangle->minimumWidth(), 140);
    EXPECT_EQ(Panel().FirstNameEdit->width(), TAuthSignupPanel::EnglishWidths.FirstNameEdit);
    EXPECT_EQ(Panel().AuthTabButton->text(), QStringLiteral("Log In"));
    EXPECT_EQ(Form->AuthOverlay().CaptchaPanel().EnterButton->text(), QStringLiteral("Input"));
}

// The tooltip's text over each kind of control, its distance, and its place
// inside the window over controls at the window's edges.
TEST_F(MainFormTest, TooltipsSayWhatTheControlsDoAndStayInsideTheWindow)
{
    Open();
    TMainFormTooltip &tooltip = Form->Tooltip();
    auto *settings = Layout().WindowBorder->findChild<QWidget *>(QStringLiteral("settings"));
    auto *row = Row<TVKAudioListBoxItem>(Form->VKUserAudioListBox(), 0);
    ASSERT_TRUE(settings && row);
    struct TCase
    {
        QWidget *Control;
        const char *Key;
        int Offset;
    };
    const TCase idle[] = {
        {Layout().SaveButton, "SaveTrackButton_SaveTrack_Hint", 2},
        {Layout().AddToMyMusicButton, "AddToMyMusicButton_AddTrack_Hint", 2},
        {Form->PlayerControls()->PlaylistButton(), "PC_CurrentPlaylistButton_Caption", 3},
        {Form->PlayerControls()->RepeatButton(), "PC_RepeatButton_Caption", 2},
        {Form->PlayerControls()->ShuffleButton(), "PC_ShuffleButton_Caption", 2},
        {settings, "MF_SettingsButton_Caption", 2},
        {row->DownloadButton, "ALCI_DownloadButton_Hint", 2},
        {Layout().SearchEditControl, "", 2},
    };
    for (const TCase &c : idle) {
        int offset = -1;
        EXPECT_EQ(tooltip.KeyFor(c.Control, offset), QLatin1String(c.Key)) << c.Key;
        EXPECT_EQ(offset, c.Offset) << c.Key;
    }
    // A track of My Music plays: it is in My Music already.
    ASSERT_TRUE(PlayLongTrack());
    int offset = 0;
    EXPECT_EQ(
        tooltip.KeyFor(Layout().AddToMyMusicButton, offset), QStringLiteral("AddToMyMusicButton_AddedTrack_Hint"));
    EXPECT_EQ(tooltip.KeyFor(Layout().SaveButton, offset), QStringLiteral("SaveTrackButton_SaveTrack_Hint"));

    const QRect window = Form->rect();
    for (QWidget *control : {settings, static_cast<QWidget *>(row->DownloadButton),
             static_cast<QWidget *>(Form->PlayerControls()->PlaylistButton())}) {
        tooltip.TooltipControl().Show(control, QStringLiteral("A text long enough to reach past an edge"));
        const QRect shown = tooltip.TooltipControl().Control()->geometry();
        EXPECT_TRUE(window.contains(shown)) << control->objectName().toStdString();
    }
    tooltip.TooltipControl().Show(settings, QStringLiteral("Settings"));
    EXPECT_GT(tooltip.TooltipControl().Control()->y(), settings->mapTo(Form.get(), QPoint()).y())
        << "no room above the header: below it";
    QTest::mouseClick(Layout().SearchTabButton, Qt::LeftButton);
    EXPECT_FALSE(tooltip.TooltipControl().IsVisible()) << "a click puts it away";
}

// A style applied again builds the header's parts anew: the window finds the
// new ones at once, with no clock of its own.
TEST_F(MainFormTest, TheHeaderPartsAreFoundAgainWhenTheStyleIsApplied)
{
    Open();
    ASSERT_TRUE(WaitFor([&] { return Form->windowTitle().contains(QStringLiteral(" | ")); }));
    QPointer<QAbstractButton> old
        = Layout().WindowBorder->findChild<QAbstractButton *>(QStringLiteral("logouttitlebutton"));
    ApplyStyle(Layout().WindowBorder);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    auto *title = Layout().WindowBorder->findChild<QLabel *>(QStringLiteral("title"));
    auto *logout = Layout().WindowBorder->findChild<QAbstractButton *>(QStringLiteral("logouttitlebutton"));
    ASSERT_TRUE(title && logout);
    EXPECT_EQ(title->text(), Form->windowTitle());
    EXPECT_TRUE(logout->isVisible());
    EXPECT_FALSE(logout->accessibleName().isEmpty());
    logout->click();
    EXPECT_TRUE(WaitForOverlay(true));
}

// A logout whose cookie file can be neither rewritten nor removed says so
// over the form it returns to.
TEST_F(MainFormTest, ALogoutThatCannotForgetTheSessionSaysSoOverTheForm)
{
    Open();
    ASSERT_TRUE(WaitFor([&] { return Form->windowTitle().contains(QStringLiteral(" | ")); }));
    ASSERT_TRUE(QFile::remove(GetCookiesFilePath()));
    ASSERT_TRUE(QDir().mkpath(GetCookiesFilePath() + QStringLiteral("/in-the-way")));
    Layout().WindowBorder->findChild<QAbstractButton *>(QStringLiteral("logouttitlebutton"))->click();
    ASSERT_TRUE(WaitForOverlay(true));
    EXPECT_TRUE(Form->Note()->isVisible());
    EXPECT_TRUE(Form->Note()->Text().startsWith(
        LocalizationManager->getValue(QStringLiteral("MF_LogoutNotStored_Note")).section(QStringLiteral("%s"), 0, 0)))
        << Form->Note()->Text().toStdString();
    const QObjectList layers = Form->centralWidget()->children();
    EXPECT_GT(layers.indexOf(Form->Note()), layers.indexOf(&Panel())) << "the note is read over the form";
    QDir(GetCookiesFilePath()).removeRecursively();
}

TEST(MainFormEndToEnd, PlayDownloadPlayOfflineDeleteAndExit)
{
    // A fresh profile: the user signs in through the overlay.
    TUserWithSession user(false);
    ASSERT_TRUE(user.Standin->IsReady());
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
            TAuthOverlay &overlay = form->AuthOverlay();
            if (!step("overlay", WaitFor([&] { return overlay.IsShown(); })))
                return;
            QTest::keyClicks(overlay.Panel().LoginEdit, Login);
            QTest::keyClicks(overlay.Panel().PasswordEdit, Password);
            overlay.Panel().LoginButton->click();
            if (!step("signed in", WaitFor([&] { return !overlay.IsShown(); })))
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
        QStringLiteral("window,overlay,signed in,my music,row,playing,downloaded,on top of downloads,"
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
