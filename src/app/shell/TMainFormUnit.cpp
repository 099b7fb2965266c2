#include "app/shell/TMainFormUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/helpers/TVersionInfoUnit.h"
#include "app/helpers/TextUtilsUnit.h"
#include "app/shell/TLastFMArtistImageSourceUnit.h"
#include "app/shell/TListAnimationsUnit.h"
#include "app/shell/TMainFormTooltipUnit.h"
#include "app/shell/TPlaylistPopupUnit.h"
#include "app/shell/TWindowNoteUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "metadata/views/TMetaDataViewsManagerUnit.h"
#include "platform/ShellUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TPlaybackOrderUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/auth/TAuthOverlayUnit.h"
#include "ui/tracklists/TLocalAudioListBoxUnit.h"
#include "ui/tracklists/TPlaylistListBoxUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"
#include "ui/wrappers/TArtistImageWrapperUnit.h"
#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"
#include "ui/wrappers/TPlaylistControlsPanelWrapperUnit.h"
#include "ui/wrappers/TSearchEditWrapperUnit.h"
#include "ui/wrappers/TTitleLabelWrapperUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationMyMusicManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"

#include "ui_TMainForm.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>

namespace {

QString Text(const QString &Key)
{
    return LocalizationManager->getValue(Key);
}

// The pop-up opens this far from the playlist button's bottom left corner.
constexpr int PlaylistPopupHorizontalOffset = -144;
constexpr int PlaylistPopupVerticalOffset = -5;
constexpr int TabPointerWidth = 16;
// The busy indicator at the right end of the search box.
constexpr int SearchIndicatorWidth = 24;
constexpr int SearchIndicatorHeight = 16;
constexpr int SearchIndicatorRightMargin = 8;
constexpr int TabPointerHeight = 3;

// The least widths of the controls whose captions differ most in length, by
// language identifier: My Music, Search and Downloads tabs, the search modes.
struct TLanguageWidths
{
    quint32 LanguageID;
    int UserTab, SearchTab, LocalTab, SearchModes;
};
constexpr TLanguageWidths LanguageWidths[] = {{1049, 117, 82, 91, 160}, {1033, 90, 82, 110, 140}};

} // namespace

TMainForm::TMainForm() : FUi(std::make_unique<Ui::TMainFormLayout>())
{
    setObjectName(QStringLiteral("MainForm"));
    auto *surface = new QWidget(this);
    FUi->setupUi(surface);
    setCentralWidget(surface);
    resize(DefaultClientWidth, DefaultClientHeight);
    // Smaller than the layout was made for, rows and buttons would overlap.
    setMinimumSize(DefaultClientWidth * 4 / 5, DefaultClientHeight * 3 / 4);
}

TMainForm::~TMainForm()
{
    // The account views are bound to the clients.
    delete FAuthOverlay;
    // The lists show the data below, and the data uses the clients.
    delete FVKUserAudioListBox;
    delete FVKSearchAudioListBox;
    delete FLocalAudioListBox;
    delete FAudioPlaylistListBox;
    delete FMetaDataViews;
    if (FVKEmulationManager) {
        FVKEmulationManager->AuthManager().OnAuthSuccessList().Remove(FAuthSuccessHandler);
        FVKEmulationManager->MyMusicManager().OnTrackAddedEventsList().Remove(FTrackAddedHandler);
    }
    FUserAudioData.reset();
    FSearchAudioData.reset();
    FLocalAudioData.reset();
    // First of the clients: the web client stores its cookies as it goes.
    FVKEmulationManager.reset();
    FLastFMRequestManager.reset();
    FVKAPIManager.reset();
}

void TMainForm::FormCreate()
{
    UpdateCaption();
    InitializeDB();
    InitializeClients();
    InitializeVisualControls();
    FHandlePlayingTrackBarChange = true;
    ApplySettingValues();
    SetPlayerEvents();
    SearchTabControlTabButtonClick(FUi->SearchTrackButton);
    SetStyleLookup(FUi->SaveButton, QStringLiteral("savedisabledButtonstyle"));
    SetStyleLookup(FUi->AddToMyMusicButton, QStringLiteral("addtrackbluedisButtonstyle"));
    RestoreWindowState();
    // Signs in with the stored cookies; the overlay asks for what is missing.
    FAuthOverlay->Authorize();
    // Last step: the window fills its texts in the active language.
    QEvent message(WM_LOCALIZATIONCHANGED);
    QCoreApplication::sendEvent(this, &message);
    if (FSavedTracksRestored)
        FNote->ShowNote(Text(QStringLiteral("MF_SavedTracksRestored_Note")));
}

void TMainForm::InitializeDB()
{
    TSavedTracksOpening opening = OpenSavedTracksDB(GetSavedTracksDBPath(), GetSavedTracksBackupDBPath());
    if (!opening.DataSet && opening.Damaged)
        throw Exception(LocalizationManager->getValue(QStringLiteral("EM_CorruptedSavedTracksDB")));
    // Locked, busy or unreadable: the file is not said to be damaged.
    if (!opening.DataSet)
        throw Exception(LocalizationManager->getValue(QStringLiteral("EM_SavedTracksDBNotOpened"))
                            .replace(QStringLiteral("%s"), opening.ErrorMessage));
    FSavedAudioDB = std::move(opening.DataSet);
    FSavedTracksRestored = opening.Restored;
}

void TMainForm::InitializeClients()
{
    const auto requestStart = [this](TObject *) { RequestStartEvent(); };
    const auto requestEnd = [this](TObject *) { RequestEndEvent(); };

    FVKAPIManager = std::make_unique<TVKAPIManager>(QStringLiteral("5.37"));
    FVKAPIManager->OnUserNameGet = [this](TObject *) { UserNameGetEvent(); };
    FVKAPIManager->RequestManager().SetOnRequestStart(requestStart);
    FVKAPIManager->RequestManager().SetOnRequestEnd(requestEnd);

    FLastFMRequestManager = std::make_unique<TLastFMAPIRequestManager>(300);
    FLastFMRequestManager->SetOnRequestStart(requestStart);
    FLastFMRequestManager->SetOnRequestEnd(requestEnd);

    // Loads the stored cookies.
    FVKEmulationManager = std::make_unique<TVKEmulationManager>();
    FVKEmulationManager->OnLogout = [this](TObject *) { LogoutEvent(); };
    FVKEmulationManager->RequestManager().SetOnRequestStart(requestStart);
    FVKEmulationManager->RequestManager().SetOnRequestEnd(requestEnd);
    TVKEmulationAuthManager &auth = FVKEmulationManager->AuthManager();
    FAuthSuccessHandler = auth.OnAuthSuccessList().Add([this](TObject *) { AuthSuccessEvent(); });
    FVKEmulationManager->OnLogoutNotStored = [this](TObject *, const QString &Message) {
        FNote->ShowNote(Text(QStringLiteral("MF_LogoutNotStored_Note")).replace(QStringLiteral("%s"), Message));
    };
    FTrackAddedHandler = FVKEmulationManager->MyMusicManager().OnTrackAddedEventsList().Add(
        [this](TObject *, const TVKAudioPlaylistItem &AddedTrack, int, int, const QString &) {
            TrackAddedToMyMusicEvent(AddedTrack);
        });

    FLocalAudioData = std::make_unique<TLocalAudioData>(*FVKEmulationManager, *FSavedAudioDB);
    FLocalAudioData->OnDownloadStart = [this](TObject *, int AID, int OwnerID) { DownloadStartEvent(AID, OwnerID); };
    FLocalAudioData->OnItemDownloadPercentChangedEvent
        = [this](TObject *, int AID, int) { ItemDownloadPercentChangedEvent(AID); };
    FLocalAudioData->OnDownloadNoLogicalDriveError = [this](TObject *) { DownloadNoLogicalDriveErrorEvent(); };
    FLocalAudioData->OnDownloadFailed = [this](TObject *, int AID, int OwnerID, const QString &Message) {
        DownloadFailedEvent(AID, OwnerID, Message);
    };

    FListAnimations = std::make_unique<TListAnimations>();
    FUserAudioData = std::make_unique<TVKUserAudioData>(*FVKEmulationManager, 50);
    FUserAudioData->Animations = FListAnimations->Seam();
    FSearchAudioData = std::make_unique<TVKSearchAudioData>(*FVKEmulationManager, 50);
    FSearchAudioData->Animations = FListAnimations->Seam();
    FSearchAudioData->OnSearchResult = [this](TObject *) { SearchResultEvent(); };
}

void TMainForm::InitializeVisualControls()
{
    Ui::TMainFormLayout &ui = *FUi;
    // A style applied again builds the title parts anew: they are found again then.
    OnStyleApplied(ui.WindowBorder, this, [this] { FindTitleParts(); });
    if (!EnsureStyleApplied(ui.WindowBorder))
        FindTitleParts();

    // The playing track's artist is a link to the artist's page.
    FTitleLabel = std::make_unique<TTitleLabelWrapper>(this, true, ui.TitleLabelControl);
    FTitleLabel->OnArtistTextClick = [this](QObject *) { PlayingArtistClick(); };

    FPlayerControls = std::make_unique<TPlayerControlsPanelWrapper>(this, ui.PlayerControlsPanel);
    const auto bind = [this](QAbstractButton *Button, auto Handler) {
        connect(Button, &QAbstractButton::clicked, this, Application::Guarded(Handler));
    };
    bind(FPlayerControls->PlayPauseButton(), [this] { PlayPauseButtonClickEvent(FPlayerControls->PlayPauseButton()); });
    bind(FPlayerControls->NextButton(), [this] { NextTrackButtonClickEvent(); });
    bind(FPlayerControls->PrevButton(), [this] { PrevTrackButtonClickEvent(); });
    bind(FPlayerControls->RepeatButton(), [this] { RepeatButtonClickEvent(); });
    bind(FPlayerControls->ShuffleButton(), [this] { ShuffleButtonClickEvent(); });
    bind(FPlayerControls->PlaylistButton(), [this] { PlaylistButtonClickEvent(); });
    FPlayerControls->OnVolumeTrackBarChange = [this](QObject *) { VolumeTrackBarChangeEvent(); };
    FPlayerControls->OnMuteButtonStateChange = [this](QObject *) { MuteButtonStateChangeEvent(); };
    connect(FPlayerControls->VolumeTrackBar(), &QSlider::sliderReleased, this,
        Application::Guarded([this] { VolumeTrackBarReleased(); }));

    FLoadingProgressBarWrapper = std::make_unique<TLoadingProgressBarWrapper>(this, ui.LoadingProgressBarControl);
    connect(FLoadingProgressBarWrapper->TrackBar(), &QSlider::valueChanged, this,
        Application::Guarded([this] { PlaybackTrackBarChangeEvent(FLoadingProgressBarWrapper->TrackBar()); }));

    FArtistImageSource = std::make_unique<TLastFMArtistImageSource>();
    FArtistImage = std::make_unique<TArtistImageWrapper>(this, ui.ArtistImagePanel, *FArtistImageSource);

    auto *indicator = new THorizontalLoadingAnimation(ui.SearchEditControl);
    indicator->setObjectName(QStringLiteral("SearchEditAniIndicator"));
    indicator->resize(SearchIndicatorWidth, SearchIndicatorHeight);
    FSearchEdit = std::make_unique<TSearchEditWrapper>(this, indicator, ui.SearchEditControl);
    connect(ui.SearchEditControl, &QLineEdit::textChanged, this,
        Application::Guarded([this] { SearchEditControlChange(); }));

    FPlaylistPopup = new TPlaylistPopup(this);
    FPlaylistPopup->OnClosePopup = [this] { PlaylistPopupClosePopup(); };
    FPlaylistControls
        = std::make_unique<TPlaylistControlsPanelWrapper>(this, FPlaylistPopup->ControlsPanel(), FPlaylistPopup);
    FPlaylistControls->setPlayPauseButtonClickEvent([this](QObject *Sender) { PlayPauseButtonClickEvent(Sender); });
    FPlaylistControls->setPrevButtonClickEvent([this](QObject *) { PrevTrackButtonClickEvent(); });
    FPlaylistControls->setNextButtonClickEvent([this](QObject *) { NextTrackButtonClickEvent(); });
    FPlaylistControls->setPlaybackTrackBarChangeEvent([this](QObject *Sender) { PlaybackTrackBarChangeEvent(Sender); });

    FTooltip = new TMainFormTooltip(this,
        {ui.SaveButton, ui.AddToMyMusicButton, FPlayerControls->PlaylistButton(), FPlayerControls->RepeatButton(),
            FPlayerControls->ShuffleButton(), FSettingsButton, FLogoutButton,
            [] { return AudioPlayer->CurrentPlaylistItem() != nullptr; }});

    // The pointers under the tab buttons: only the chosen tab's shows.
    const auto pointer = [&ui](const char *Name) {
        auto *shape = new QWidget(ui.TabStrip);
        shape->setObjectName(QString::fromLatin1(Name));
        shape->setProperty(StyleLookupProperty, QStringLiteral("tabpointerstyle"));
        shape->setAttribute(Qt::WA_StyledBackground);
        shape->setAttribute(Qt::WA_TransparentForMouseEvents);
        shape->resize(TabPointerWidth, TabPointerHeight);
        return shape;
    };
    FUserTabPointer = pointer("UserTabPointer");
    FSearchTabPointer = pointer("SearchTabPointer");
    FLocalTabPointer = pointer("LocalTabPointer");
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(ui.UserTabButton),
             static_cast<QAbstractButton *>(ui.SearchTabButton), static_cast<QAbstractButton *>(ui.LocalTabButton)})
        bind(button, [this, button] { MainTabControlTabButtonClick(button); });
    for (QAbstractButton *button :
        {static_cast<QAbstractButton *>(ui.SearchTrackButton), static_cast<QAbstractButton *>(ui.SearchArtistButton),
            static_cast<QAbstractButton *>(ui.SearchAlbumButton)})
        bind(button, [this, button] { SearchTabControlTabButtonClick(button); });
    bind(ui.SaveButton, [this] { SaveButtonClick(); });
    bind(ui.AddToMyMusicButton, [this] { AddToMyMusicButtonClick(); });

    FNote = new TWindowNote(centralWidget());
    // Over the whole client area, the header strip too; the notes stay in front.
    FAuthOverlay = new TAuthOverlay(centralWidget(), ui.WindowBorder, FNote, *FVKEmulationManager, *FVKAPIManager);
    FNote->raise();
    InitializeListBoxes();
    InitializeKeyboard();
}

void TMainForm::FindTitleParts()
{
    QWidget *border = FUi->WindowBorder;
    FSettingsButton = FindStylePart<QAbstractButton>(
        border, QStringLiteral("settings"), QStringLiteral(" not found inside of style"));
    FLogoutButton = FindStylePart<QAbstractButton>(
        border, QStringLiteral("logouttitlebutton"), QStringLiteral(" not found inside of style"));
    FWindowTitleCaptionText = FindStylePart<QLabel>(
        border, QStringLiteral("title"), QStringLiteral(" not found inside of windowborderstyle"));
    connect(
        FSettingsButton, &QAbstractButton::clicked, this, Application::Guarded([this] { SettingsButtonClickEvent(); }));
    connect(FLogoutButton, &QAbstractButton::clicked, this, Application::Guarded([this] { LogoutButtonClickEvent(); }));
    FSettingsButton->setAccessibleName(Text(QStringLiteral("MF_SettingsButton_Caption")));
    FLogoutButton->setAccessibleName(Text(QStringLiteral("MF_LogoutButton_Caption")));
    FLogoutButton->setVisible(FIsSignedIn && !FVKAPIManager->UserName().isEmpty());
    FWindowTitleCaptionText->setText(windowTitle());
    if (FTooltip)
        FTooltip->SetHeaderButtons(FSettingsButton, FLogoutButton);
}

void TMainForm::InitializeListBoxes()
{
    Ui::TMainFormLayout &ui = *FUi;
    const auto trackState = [this](int AID, int OwnerID, TTrackState &State, int &Percent) {
        GetTrackStateRequest(AID, OwnerID, State, Percent);
    };
    const auto saveTrack = [this](const TVKAudioPlaylistItem &Item) { SaveTrackRequest(Item); };

    FVKUserAudioListBox = new TVKUserAudioListBox(this, nullptr, PanelClassOf<TVKAudioListBoxItem>(),
        ui.VKUserAudioListBoxScrollBar, ui.VKUserAudioListBoxSurface);
    FVKSearchAudioListBox = new TVKSearchAudioListBox(this, nullptr, PanelClassOf<TVKAudioListBoxItem>(),
        ui.VKSearchAudioListBoxScrollBar, ui.VKSearchAudioListBoxSurface);
    for (TCustomVKAudioListBox *list :
        std::initializer_list<TCustomVKAudioListBox *> {FVKUserAudioListBox, FVKSearchAudioListBox}) {
        list->SetItemHeight(32);
        // Pools are built when each list is first seen: only one tab shows at start.
        list->InitializeWhenShown();
        list->SetGetTrackStateRequestProc(trackState);
        list->SetSaveTrackRequestProc(saveTrack);
    }
    FVKUserAudioListBox->SetData(FUserAudioData.get());
    FVKUserAudioListBox->OnDeleteFromMyMusic = [this](int Index) { DeleteFromMyMusic(Index); };
    FVKSearchAudioListBox->SetData(FSearchAudioData.get());

    FLocalAudioListBox = new TLocalAudioListBox(this, nullptr, PanelClassOf<TLocalAudioListBoxItem>(),
        ui.LocalAudioListBoxScrollBar, ui.LocalAudioListBoxSurface);
    FLocalAudioListBox->SetItemHeight(32);
    FLocalAudioListBox->InitializeWhenShown();
    FLocalAudioListBox->SetData(FLocalAudioData.get());
    FLocalAudioListBox->OnDeleteTrack = [this](int Index) { DeleteLocalTrack(Index); };

    FAudioPlaylistListBox = new TPlaylistListBox(this, nullptr, PanelClassOf<TPlaylistListBoxItem>(),
        FPlaylistPopup->ListScrollBar(), FPlaylistPopup->ListSurface());
    FAudioPlaylistListBox->SetItemHeight(24);
    FAudioPlaylistListBox->InitializeWhenShown();
    FAudioPlaylistListBox->SetData(AudioPlayer->Playlist());

    FMetaDataViews = new TMetaDataViewsManager(this,
        {ui.MetaDataNavigateTagsRectangle, ui.MetaDataTabControl, ui.ArtistSearchTabItem, ui.AlbumSearchTabItem,
            ui.ArtistPageTabItem, ui.AlbumPageTabItem},
        *FVKEmulationManager, *FLastFMRequestManager, trackState, saveTrack);
}

void TMainForm::InitializeKeyboard()
{
    const auto shortcut = [this](QKeySequence Keys, auto Handler) {
        auto *action = new QShortcut(Keys, this);
        connect(action, &QShortcut::activated, this, Application::Guarded(Handler));
    };
    shortcut(Qt::Key_Space, [this] {
        // A focused button keeps its own Space.
        if (auto *button = qobject_cast<QAbstractButton *>(focusWidget()))
            button->click();
        else
            PlayPauseButtonClickEvent(FPlayerControls->PlayPauseButton());
    });
    shortcut(QKeySequence::Find, [this] { FocusSearch(); });
    shortcut(Qt::Key_Left, [this] { SeekBy(-SeekStep); });
    shortcut(Qt::Key_Right, [this] { SeekBy(SeekStep); });
    shortcut(Qt::CTRL | Qt::Key_Left, [this] { PrevTrackButtonClickEvent(); });
    shortcut(Qt::CTRL | Qt::Key_Right, [this] { NextTrackButtonClickEvent(); });
    shortcut(Qt::CTRL | Qt::Key_Up, [this] { MoveVolumeBy(VolumeStep); });
    shortcut(Qt::CTRL | Qt::Key_Down, [this] { MoveVolumeBy(-VolumeStep); });
}

void TMainForm::ApplySettingValues()
{
    auto *settings = GetInstance<TQelmSettings>();
    FPlayerControls->VolumeTrackBar()->setValue(qRound(settings->Volume()));
    if (settings->MuteFlag())
        FPlayerControls->SetMuteButtonState(mbMuted);
}

void TMainForm::SetPlayerEvents()
{
    AudioPlayer->OnStartPlayingURL = [this](TObject *) { PlayerStartPlayingURLEvent(); };
    AudioPlayer->OnStartPlayingLocalFile = [this](TObject *) { PlayerStartPlayingLocalFileEvent(); };
    AudioPlayer->OnStop = [this](TObject *) { PlayerStopEvent(); };
    AudioPlayer->OnPause = [this](TObject *) { PlayerPauseResumeEvent(); };
    AudioPlayer->OnResume = [this](TObject *) { PlayerPauseResumeEvent(); };
    AudioPlayer->OnConnectionStart = [this](TObject *) { PlayerConnectionStartEvent(); };
    AudioPlayer->OnConnectionError = [this](TObject *) { PlayerStopEvent(); };
    AudioPlayer->OnPlayingPositionChange = [this](TObject *) { PlayerPlayingPositionChangeEvent(); };
    AudioPlayer->OnDownloadProgress
        = [this](TObject *, std::uint8_t ProgressPercent) { PlayerDownloadProgressEvent(ProgressPercent); };
    AudioPlayer->OnTrackNotAvailable = [this](TObject *) { PlayerTrackNotAvailableEvent(); };
}

void TMainForm::RestoreWindowState()
{
    auto *settings = GetInstance<TQelmSettings>();
    const QByteArray geometry = settings->WindowGeometry();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    QAbstractButton *tabs[] = {FUi->UserTabButton, FUi->SearchTabButton, FUi->LocalTabButton};
    MainTabControlTabButtonClick(tabs[settings->MainTab()]);
}

void TMainForm::SaveWindowState()
{
    auto *settings = GetInstance<TQelmSettings>();
    settings->SetWindowGeometry(saveGeometry());
    settings->SetMainTab(FUi->MainTabControl->currentIndex());
}

// ---- Tabs and search

void TMainForm::MainTabControlTabButtonClick(QObject *Sender)
{
    Ui::TMainFormLayout &ui = *FUi;
    struct TTab
    {
        QAbstractButton *Button;
        QWidget *Page;
        QWidget *Pointer;
        TDynamicListBox *List;
    };
    const TTab tabs[] = {{ui.UserTabButton, ui.UserAudioTabItem, FUserTabPointer, FVKUserAudioListBox},
        {ui.SearchTabButton, ui.SearchAudioTabItem, FSearchTabPointer, FVKSearchAudioListBox},
        {ui.LocalTabButton, ui.LocalAudioTabItem, FLocalTabPointer, FLocalAudioListBox}};
    for (const TTab &tab : tabs) {
        const bool chosen = tab.Button == Sender;
        tab.Button->setChecked(chosen);
        tab.Pointer->setVisible(chosen);
        if (chosen) {
            ui.MainTabControl->setCurrentWidget(tab.Page);
            tab.List->RepaintActualItems();
        }
    }
}

void TMainForm::SearchTabControlTabButtonClick(QObject *Sender)
{
    Ui::TMainFormLayout &ui = *FUi;
    for (QAbstractButton *button :
        {static_cast<QAbstractButton *>(ui.SearchTrackButton), static_cast<QAbstractButton *>(ui.SearchArtistButton),
            static_cast<QAbstractButton *>(ui.SearchAlbumButton)})
        button->setChecked(button == Sender);
    if (Sender == ui.SearchTrackButton) {
        ui.SearchTabControl->setCurrentWidget(ui.TrackSearchTabItem);
        return;
    }
    ui.SearchTabControl->setCurrentWidget(ui.MetaSearchTabItem);
    if (Sender == ui.SearchArtistButton)
        FMetaDataViews->SwitchToArtistSearchTab();
    else
        FMetaDataViews->SwitchToAlbumSearchTab();
}

void TMainForm::SearchEditControlChange()
{
    FSearchAudioData->SetSearchString(FUi->SearchEditControl->text());
    FMetaDataViews->SetSearchQuery(FUi->SearchEditControl->text());
}

void TMainForm::PlayingArtistClick()
{
    const QString artist = FTitleLabel->Artist();
    MainTabControlTabButtonClick(FUi->SearchTabButton);
    SearchTabControlTabButtonClick(FUi->SearchArtistButton);
    FMetaDataViews->SetArtist(artist);
}

void TMainForm::SearchResultEvent()
{
    MainTabControlTabButtonClick(FUi->SearchTabButton);
}

void TMainForm::PlaceTabPointers()
{
    const std::pair<QWidget *, QWidget *> pointers[] = {{FUi->UserTabButton, FUserTabPointer},
        {FUi->SearchTabButton, FSearchTabPointer}, {FUi->LocalTabButton, FLocalTabPointer}};
    for (const auto &[button, pointer] : pointers) {
        if (!pointer)
            continue;
        pointer->move(button->x() + button->width() / 2 - pointer->width() / 2,
            button->y() + button->height() - pointer->height());
        pointer->raise();
    }
}

// ---- Player bar

void TMainForm::PlayPauseButtonClickEvent(QObject *Sender)
{
    switch (AudioPlayer->State()) {
    case TAudioPlayerState::psStopped:
        // Only the main bar starts the visible tab's list.
        if (Sender != FPlayerControls->PlayPauseButton())
            return;
        if (FUi->MainTabControl->currentWidget() == FUi->UserAudioTabItem)
            AudioPlayer->SetPlaylist(FUserAudioData->Playlist());
        // An artist or album page plays the tracks it shows.
        else if (FUi->MainTabControl->currentWidget() == FUi->SearchAudioTabItem
            && FUi->SearchTabControl->currentWidget() == FUi->MetaSearchTabItem
            && FMetaDataViews->CurrentPagePlaylist())
            AudioPlayer->SetPlaylist(FMetaDataViews->CurrentPagePlaylist());
        else if (FUi->MainTabControl->currentWidget() == FUi->SearchAudioTabItem)
            AudioPlayer->SetPlaylist(FSearchAudioData->Playlist());
        else
            AudioPlayer->SetPlaylist(&FLocalAudioData->Playlist());
        AudioPlayer->PlayFirst();
        break;
    case TAudioPlayerState::psPlaying:
        AudioPlayer->Pause();
        break;
    case TAudioPlayerState::psPaused:
        AudioPlayer->Resume();
        break;
    case TAudioPlayerState::psConnecting:
        break;
    }
}

void TMainForm::NextTrackButtonClickEvent()
{
    AudioPlayer->Next();
}

void TMainForm::PrevTrackButtonClickEvent()
{
    AudioPlayer->Previous();
}

void TMainForm::RepeatButtonClickEvent()
{
    AudioPlayer->PlaybackOrder()->SetIsRepeat(FPlayerControls->RepeatButton()->isChecked());
}

void TMainForm::ShuffleButtonClickEvent()
{
    AudioPlayer->PlaybackOrder()->SetIsShuffle(FPlayerControls->ShuffleButton()->isChecked());
}

void TMainForm::PlaylistButtonClickEvent()
{
    if (FPlaylistPopup->isVisible()) {
        FPlaylistPopup->close();
        return;
    }
    FHandlePlayingTrackBarChange = false;
    FPlaylistPopup->PopupAt(
        FPlayerControls->PlaylistButton(), PlaylistPopupHorizontalOffset, PlaylistPopupVerticalOffset);
    FHandlePlayingTrackBarChange = true;
    FPlayerControls->PlaylistButton()->setChecked(true);
    FAudioPlaylistListBox->FocusOnPlayingItem();
    FAudioPlaylistListBox->RepaintActualItems();
}

void TMainForm::PlaylistPopupClosePopup()
{
    FPlayerControls->PlaylistButton()->setChecked(false);
}

void TMainForm::VolumeTrackBarChangeEvent()
{
    const TStyledTrackBar *slider = FPlayerControls->VolumeTrackBar();
    // While dragged the slider reports its knob; its value follows on release.
    AudioPlayer->SetVolume(float(slider->sliderPosition()) / float(slider->maximum()));
    if (!slider->isSliderDown())
        VolumeTrackBarReleased();
}

void TMainForm::VolumeTrackBarReleased()
{
    // Written once a drag ends, not on every step of it.
    GetInstance<TQelmSettings>()->SetVolume(FPlayerControls->VolumeTrackBar()->value());
}

void TMainForm::MuteButtonStateChangeEvent()
{
    const bool muted = FPlayerControls->MuteButtonState() == mbMuted;
    AudioPlayer->SetMuteFlag(muted);
    GetInstance<TQelmSettings>()->SetMuteFlag(muted);
}

void TMainForm::PlaybackTrackBarChangeEvent(QObject *Sender)
{
    auto *slider = qobject_cast<TStyledTrackBar *>(Sender);
    if (!slider)
        return;
    if (slider == FLoadingProgressBarWrapper->TrackBar())
        FLoadingProgressBarWrapper->AdjustOverlayImage();
    else if (FPlaylistControls->LoadingProgressBar())
        FPlaylistControls->LoadingProgressBar()->AdjustOverlayImage();
    if (FHandlePlayingTrackBarChange)
        AudioPlayer->SetPlayingPosition(slider->value());
}

void TMainForm::SaveButtonClick()
{
    if (const TVKAudioPlaylistItem *item = CurrentVKItem(); item && !IsSaved(*item))
        FLocalAudioData->DownloadTrack(*item);
}

void TMainForm::AddToMyMusicButtonClick()
{
    if (const TVKAudioPlaylistItem *item = CurrentVKItem(); item && !IsInMyMusic(*item))
        FVKEmulationManager->MyMusicManager().AddToMyMusic(*item);
}

void TMainForm::SettingsButtonClickEvent()
{
    if (SettingsForm) {
        SettingsForm->show();
        SettingsForm->raise();
        SettingsForm->activateWindow();
    }
}

void TMainForm::LogoutButtonClickEvent()
{
    FVKEmulationManager->Logout();
    FVKAPIManager->Logout();
}

// ---- The player's events

void TMainForm::ShowStartedTrack(bool IsLocal)
{
    const TCustomPlaylistItem *item = AudioPlayer->CurrentPlaylistItem();
    SetBothPlayPauseStates(true);
    FHandlePlayingTrackBarChange = false;
    SetBothTrackBars(true, 0);
    SetBothProgress(true, IsLocal ? 100 : 0);
    SetBothPositionTexts(SecondsToTimeString(0));
    if (item) {
        FTitleLabel->SetText(item->Artist, item->Title);
        FPlaylistControls->TitleLabel()->SetText(item->Artist, item->Title);
        FArtistImage->SetArtist(item->Artist);
        FLoadingProgressBarWrapper->TrackBar()->setMaximum(item->Duration);
        FPlaylistControls->setProgressBarTrackBarMax(item->Duration);
    }
    FHandlePlayingTrackBarChange = true;
    UpdateTrackButtons();
}

void TMainForm::PlayerConnectionStartEvent()
{
    ShowStartedTrack(false);
    if (const TVKAudioPlaylistItem *item = CurrentVKItem()) {
        FVKUserAudioListBox->ScrollToItem(FUserAudioData->IndexByAID(item->OwnerID, item->AID));
        FVKSearchAudioListBox->ScrollToItem(FSearchAudioData->IndexByAID(item->OwnerID, item->AID));
    }
    FAudioPlaylistListBox->ScrollToItem(AudioPlayer->CurrentPlaylistIndex());
    RepaintPlayingItems();
}

void TMainForm::PlayerStartPlayingURLEvent()
{
    RepaintPlayingItems();
}

void TMainForm::PlayerStartPlayingLocalFileEvent()
{
    ShowStartedTrack(true);
    // A file plays whole at once: nothing is buffering.
    StopBufferAnimations();
    if (const TCustomPlaylistItem *item = AudioPlayer->CurrentPlaylistItem())
        if (const auto *local = dynamic_cast<const TCustomVKAudioPlaylistItem *>(item))
            FLocalAudioListBox->ScrollToItem(FLocalAudioData->FindTrackByAID(local->AID, local->OwnerID));
    FAudioPlaylistListBox->ScrollToItem(AudioPlayer->CurrentPlaylistIndex());
    RepaintPlayingItems();
}

void TMainForm::PlayerStopEvent()
{
    SetBothPlayPauseStates(false);
    FHandlePlayingTrackBarChange = false;
    SetBothTrackBars(false, 0);
    FHandlePlayingTrackBarChange = true;
    SetBothProgress(false, 0);
    StopBufferAnimations();
    FTitleLabel->Clear();
    FPlaylistControls->TitleLabel()->Clear();
    SetBothPositionTexts(QString());
    UpdateTrackButtons();
    FVKUserAudioListBox->RepaintActualItems();
    FVKSearchAudioListBox->RepaintActualItems();
    FLocalAudioListBox->RepaintActualItems();
    FAudioPlaylistListBox->RepaintActualItems();
}

void TMainForm::PlayerPlayingPositionChangeEvent()
{
    const int position = AudioPlayer->PlayingPosition();
    SetBothPositionTexts(SecondsToTimeString(position));
    FHandlePlayingTrackBarChange = false;
    // Never under the user's hand while a knob is dragged.
    if (!FLoadingProgressBarWrapper->TrackBar()->isSliderDown())
        FLoadingProgressBarWrapper->TrackBar()->setValue(position);
    const TLoadingProgressBarWrapper *popupBar = FPlaylistControls->LoadingProgressBar();
    if (!popupBar || !popupBar->TrackBar() || !popupBar->TrackBar()->isSliderDown())
        FPlaylistControls->setProgressBarTrackBarValue(position);
    FHandlePlayingTrackBarChange = true;
    RepaintPlayingItems();
}

void TMainForm::PlayerPauseResumeEvent()
{
    SetBothPlayPauseStates(AudioPlayer->State() != TAudioPlayerState::psPaused);
    RepaintPlayingItems();
}

void TMainForm::PlayerDownloadProgressEvent(std::uint8_t ProgressPercent)
{
    const int remembered = FUi->LoadingProgressBarControl->value();
    SetBothProgress(true, ProgressPercent);
    // Whatever was remembered, a whole buffer has nothing left to show.
    if (ProgressPercent >= 100)
        StopBufferAnimations();
    else if (remembered == 0) {
        FLoadingProgressBarWrapper->StartLoadingAnimation();
        if (FPlaylistControls->LoadingProgressBar())
            FPlaylistControls->LoadingProgressBar()->StartLoadingAnimation();
    }
}

void TMainForm::PlayerTrackNotAvailableEvent()
{
    FNote->ShowNote(Text(QStringLiteral("EM_TrackNotFoundVK")));
}

void TMainForm::SetBothPlayPauseStates(bool Playing)
{
    FPlayerControls->SetPlayPauseButtonState(Playing ? pbPause : pbPlay);
    FPlaylistControls->SetPlayPauseButtonState(Playing ? pbPause : pbPlay);
    const QString name
        = Text(Playing ? QStringLiteral("PC_PauseButton_Caption") : QStringLiteral("PC_PlayButton_Caption"));
    FPlayerControls->PlayPauseButton()->setAccessibleName(name);
    if (FPlaylistControls->PlayPauseButton())
        FPlaylistControls->PlayPauseButton()->setAccessibleName(name);
}

void TMainForm::SetBothPositionTexts(const QString &Text)
{
    FUi->DurationLabel->setText(Text);
    if (FPlaylistControls->DurationLabel())
        FPlaylistControls->DurationLabel()->setText(Text);
}

void TMainForm::SetBothTrackBars(bool Visible, int Value)
{
    if (Visible)
        FLoadingProgressBarWrapper->ShowTrackBar();
    else
        FLoadingProgressBarWrapper->HideTrackBar();
    FLoadingProgressBarWrapper->TrackBar()->setValue(Value);
    FPlaylistControls->setProgressBarTrackBarVisible(Visible);
    FPlaylistControls->setProgressBarTrackBarValue(Value);
}

void TMainForm::SetBothProgress(bool Enabled, int Value)
{
    FUi->LoadingProgressBarControl->setEnabled(Enabled);
    FUi->LoadingProgressBarControl->setValue(Value);
    FPlaylistControls->setProgressBarEnabled(Enabled);
    FPlaylistControls->setProgressBarValue(Value);
}

void TMainForm::StopBufferAnimations()
{
    FLoadingProgressBarWrapper->StopLoadingAnimation();
    if (FPlaylistControls->LoadingProgressBar())
        FPlaylistControls->LoadingProgressBar()->StopLoadingAnimation();
}

void TMainForm::RepaintPlayingItems()
{
    // Each list repaints the playing row and the one that played before.
    for (TQelmListBox *list : std::initializer_list<TQelmListBox *> {
             FVKUserAudioListBox, FVKSearchAudioListBox, FLocalAudioListBox, FAudioPlaylistListBox})
        list->RepaintPlayingItem();
    FMetaDataViews->RepaintCurrentPageTracksActualItems();
}

void TMainForm::RepaintItemsByAID(int AID)
{
    FVKUserAudioListBox->RepaintItemByAID(AID);
    FVKSearchAudioListBox->RepaintItemByAID(AID);
    FLocalAudioListBox->RepaintItemByAID(AID);
    FMetaDataViews->RepaintCurrentPageTrackItemByID(AID);
}

void TMainForm::UpdateTrackButtons()
{
    const TVKAudioPlaylistItem *item = AudioPlayer->State() == TAudioPlayerState::psStopped ? nullptr : CurrentVKItem();
    const bool canSave = item && !IsSaved(*item);
    const bool canAdd = item && !IsInMyMusic(*item);
    SetStyleLookup(
        FUi->SaveButton, canSave ? QStringLiteral("saveButtonstyle") : QStringLiteral("savedisabledButtonstyle"));
    SetStyleLookup(FUi->AddToMyMusicButton,
        canAdd ? QStringLiteral("addtrackblueButtonstyle") : QStringLiteral("addtrackbluedisButtonstyle"));
    FUi->AddToMyMusicButton->setAccessibleName(
        Text(canAdd || !item ? QStringLiteral("AddToMyMusicButton_AddTrack_Hint")
                             : QStringLiteral("AddToMyMusicButton_AddedTrack_Hint")));
}

const TVKAudioPlaylistItem *TMainForm::CurrentVKItem() const
{
    return dynamic_cast<const TVKAudioPlaylistItem *>(AudioPlayer->CurrentPlaylistItem());
}

bool TMainForm::IsInMyMusic(const TVKAudioPlaylistItem &Item) const
{
    return Item.OwnerID == FVKEmulationManager->UserID() || FUserAudioData->IndexByAID(Item.OwnerID, Item.AID) >= 0;
}

bool TMainForm::IsSaved(const TVKAudioPlaylistItem &Item) const
{
    return FLocalAudioData->FindTrackByAID(Item.AID, Item.OwnerID) >= 0;
}

// ---- Sign-in and the account

void TMainForm::AuthSuccessEvent()
{
    FIsSignedIn = true;
    FVKAPIManager->RequestUserName(FVKEmulationManager->UserID());
    // One request: a second would wait out the queue's pause between starts.
    FUserAudioData->LoadOwner(FVKEmulationManager->UserID());
    FSearchAudioData->Reset();
}

void TMainForm::UserNameGetEvent()
{
    UpdateCaption();
    FLogoutButton->show();
}

void TMainForm::LogoutEvent()
{
    FIsSignedIn = false;
    FLogoutButton->hide();
    UpdateCaption();
    FSearchAudioData->Clear();
    FUserAudioData->Clear();
    FAuthOverlay->LoggedOut();
}

void TMainForm::UpdateCaption()
{
    QString caption = Text(QStringLiteral("ProgramTitle")) + u' ' + GetProgramVersionString();
    if (FIsSignedIn && FVKAPIManager && !FVKAPIManager->UserName().isEmpty())
        caption += QStringLiteral(" | ") + Text(QStringLiteral("LoggedAs_String")) + u' ' + FVKAPIManager->UserName();
    setWindowTitle(caption);
    if (FWindowTitleCaptionText)
        FWindowTitleCaptionText->setText(caption);
}

void TMainForm::TrackAddedToMyMusicEvent(const TVKAudioPlaylistItem &AddedTrack)
{
    if (AudioPlayer->CurrentPlaylistItem() && AudioPlayer->CurrentPlaylistItem()->EqualsTo(&AddedTrack))
        SetStyleLookup(FUi->AddToMyMusicButton, QStringLiteral("addtrackbluedisButtonstyle"));
}

void TMainForm::RequestStartEvent()
{
    FSearchEdit->TaskStarted();
}

void TMainForm::RequestEndEvent()
{
    FSearchEdit->TaskFinished();
}

// ---- Saved tracks

void TMainForm::GetTrackStateRequest(int AID, int OwnerID, TTrackState &TrackState, int &LoadingPercent) const
{
    const int row = FLocalAudioData->FindTrackByAID(AID, OwnerID);
    if (row < 0) {
        TrackState = tsNotFound;
        LoadingPercent = 0;
    } else if (FLocalAudioData->IsSavedTrack(row)) {
        TrackState = tsSaved;
        LoadingPercent = 100;
    } else {
        TrackState = tsLoading;
        LoadingPercent = FLocalAudioData->getLoadingTrack(row).DownloadProgressPercent;
    }
}

void TMainForm::SaveTrackRequest(const TVKAudioPlaylistItem &Item)
{
    if (!IsSaved(Item))
        FLocalAudioData->DownloadTrack(Item);
}

void TMainForm::DownloadStartEvent(int AID, int OwnerID)
{
    if (const TVKAudioPlaylistItem *item = CurrentVKItem(); item && item->AID == AID && item->OwnerID == OwnerID)
        SetStyleLookup(FUi->SaveButton, QStringLiteral("savedisabledButtonstyle"));
    RepaintItemsByAID(AID);
}

void TMainForm::ItemDownloadPercentChangedEvent(int AID)
{
    RepaintItemsByAID(AID);
}

void TMainForm::DownloadFailedEvent(int AID, int OwnerID, const QString &Message)
{
    // Nothing was kept: the buttons and every row of the track say so again.
    UpdateTrackButtons();
    RepaintItemsByAID(AID);
    QString title;
    if (const TVKAudioPlaylistItem *item = CurrentVKItem(); item && item->AID == AID && item->OwnerID == OwnerID)
        title = item->Artist + QStringLiteral(" - ") + item->Title;
    for (TVKAudioData *list : std::initializer_list<TVKAudioData *> {FUserAudioData.get(), FSearchAudioData.get()})
        if (const int row = list->IndexByAID(OwnerID, AID); title.isEmpty() && row >= 0)
            title = list->getTrack(row)->Artist + QStringLiteral(" - ") + list->getTrack(row)->Title;
    // The message may be a key of the localization.
    const QString reason = LocalizationManager->ContainsKey(Message) ? Text(Message) : Message;
    FNote->ShowNote(
        Text(QStringLiteral("MF_DownloadFailed_Note")).replace(QStringLiteral("%s"), title) + u' ' + reason);
}

void TMainForm::DownloadNoLogicalDriveErrorEvent()
{
    const QString drive = Shell::PathDrive(GetInstance<TQelmSettings>()->CurrentMusicFolderPath());
    QMessageBox::critical(
        this, windowTitle(), Text(QStringLiteral("EM_NoLogicalDrive")).replace(QStringLiteral("%s"), drive));
}

void TMainForm::DeleteLocalTrack(int Index)
{
    try {
        if (FLocalAudioData->DeleteTrack(Index, frMoveToTrash) == drNoTrash) {
            const TSavedTrackRecord track = FLocalAudioData->getSavedTrack(Index);
            if (Confirm(Text(QStringLiteral("MF_DeletePermanently_Confirm"))
                            .replace(QStringLiteral("%s"), track.Artist + QStringLiteral(" - ") + track.Title)))
                // For good there is no trash to miss: it deletes or raises.
                static_cast<void>(FLocalAudioData->DeleteTrack(Index, frDeletePermanently));
        }
    } catch (const std::exception &e) {
        FNote->ShowNote(
            Text(QStringLiteral("MF_DeleteFailed_Note")).replace(QStringLiteral("%s"), QString::fromUtf8(e.what())));
    }
}

void TMainForm::DeleteFromMyMusic(int Index)
{
    const TCustomAudioTrackViewData *track = FUserAudioData->getTrack(Index);
    if (Confirm(Text(QStringLiteral("MF_DeleteFromMyMusic_Confirm"))
                    .replace(QStringLiteral("%s"), track->Artist + QStringLiteral(" - ") + track->Title)))
        FUserAudioData->DeleteFromMyMusic(Index);
}

bool TMainForm::Confirm(const QString &Question)
{
    if (ConfirmProc)
        return ConfirmProc(Question);
    QMessageBox box(QMessageBox::Question, windowTitle(), Question, QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(Text(QStringLiteral("MF_DeleteButton_Caption")), QMessageBox::DestructiveRole);
    box.addButton(Text(QStringLiteral("CancelButton_Caption")), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == yes;
}

// ---- Keyboard

void TMainForm::SeekBy(int Seconds)
{
    // A focused slider keeps its own arrows.
    if (auto *slider = qobject_cast<QAbstractSlider *>(focusWidget())) {
        slider->triggerAction(
            Seconds < 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
        return;
    }
    const TAudioPlayerState state = AudioPlayer->State();
    if (state != TAudioPlayerState::psPlaying && state != TAudioPlayerState::psPaused)
        return;
    const int duration = AudioPlayer->CurrentPlaylistItem() ? AudioPlayer->CurrentPlaylistItem()->Duration : 0;
    AudioPlayer->SetPlayingPosition(qBound(0, AudioPlayer->PlayingPosition() + Seconds, qMax(0, duration - 1)));
}

void TMainForm::MoveVolumeBy(int Step)
{
    TStyledTrackBar *slider = FPlayerControls->VolumeTrackBar();
    slider->setValue(qBound(slider->minimum(), slider->value() + Step * slider->maximum() / 100, slider->maximum()));
}

void TMainForm::FocusSearch()
{
    MainTabControlTabButtonClick(FUi->SearchTabButton);
    FUi->SearchEditControl->setFocus(Qt::ShortcutFocusReason);
    FUi->SearchEditControl->selectAll();
}

// ---- Language, layout and closing

void TMainForm::LanguageChangedMessage()
{
    Ui::TMainFormLayout &ui = *FUi;
    UpdateCaption();
    const std::pair<QAbstractButton *, const char *> captions[] = {{ui.UserTabButton, "MTCB_MyMusicTabButton_Caption"},
        {ui.SearchTabButton, "MTCB_SearchTabButton_Caption"}, {ui.LocalTabButton, "MTCB_LocalTabButton_Caption"},
        {ui.SaveButton, "SaveTrackButton_Caption"}, {ui.SearchTrackButton, "SMTB_SearchTrackButton_Caption"},
        {ui.SearchArtistButton, "SMTB_SearchArtistButton_Caption"},
        {ui.SearchAlbumButton, "SMTB_SearchAlbumButton_Caption"}};
    for (const auto &[button, key] : captions)
        button->setText(Text(QString::fromLatin1(key)));
    const std::pair<QWidget *, const char *> names[] = {{FPlayerControls->PrevButton(), "PC_PrevButton_Caption"},
        {FPlayerControls->NextButton(), "PC_NextButton_Caption"},
        {FPlayerControls->RepeatButton(), "PC_RepeatButton_Caption"},
        {FPlayerControls->ShuffleButton(), "PC_ShuffleButton_Caption"},
        {FPlayerControls->PlaylistButton(), "PC_CurrentPlaylistButton_Caption"},
        {FPlayerControls->MuteButton(), "PC_MuteButton_Caption"},
        {FPlayerControls->VolumeTrackBar(), "PC_VolumeTrackBar_Caption"},
        {FLoadingProgressBarWrapper->TrackBar(), "PC_PlaybackTrackBar_Caption"},
        {FSettingsButton, "MF_SettingsButton_Caption"}, {FLogoutButton, "MF_LogoutButton_Caption"},
        {ui.SearchEditControl, "SearchEdit_Placeholder"}};
    for (const auto &[control, key] : names)
        if (control)
            control->setAccessibleName(Text(QString::fromLatin1(key)));
    SetBothPlayPauseStates(FPlayerControls->PlayPauseButtonState() == pbPause);
    UpdateTrackButtons();
    FAuthOverlay->LanguageChanged();
    // Least widths: a caption longer than the table allows still shows whole.
    // Any other language keeps the widths it found.
    for (const TLanguageWidths &widths : LanguageWidths)
        if (widths.LanguageID == LocalizationManager->GetActiveLCID()) {
            ui.UserTabButton->setMinimumWidth(widths.UserTab);
            ui.SearchTabButton->setMinimumWidth(widths.SearchTab);
            ui.LocalTabButton->setMinimumWidth(widths.LocalTab);
            ui.SearchTabButtonsRectangle->setMinimumWidth(widths.SearchModes);
        }
    PlaceTabPointers();
}

bool TMainForm::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED && FPlayerControls)
        LanguageChangedMessage();
    return THandleCreateExceptionForm::event(Event);
}

void TMainForm::PlaceSearchIndicator()
{
    QLineEdit *edit = FUi->SearchEditControl;
    if (auto *indicator = edit->findChild<QWidget *>(QStringLiteral("SearchEditAniIndicator")))
        indicator->move(edit->width() - indicator->width() - SearchIndicatorRightMargin,
            (edit->height() - indicator->height()) / 2);
}

void TMainForm::resizeEvent(QResizeEvent *Event)
{
    THandleCreateExceptionForm::resizeEvent(Event);
    PlaceTabPointers();
    PlaceSearchIndicator();
}

void TMainForm::showEvent(QShowEvent *Event)
{
    THandleCreateExceptionForm::showEvent(Event);
    // The buttons have their sizes only once laid out.
    PlaceTabPointers();
    PlaceSearchIndicator();
    // The keyboard starts in the list on show, where Enter and the arrows work.
    if (!focusWidget())
        if (auto *list
            = FUi->MainTabControl->currentWidget()->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            list->setFocus(Qt::OtherFocusReason);
}

void TMainForm::ReleasePlayer()
{
    if (!AudioPlayer)
        return;
    FAudioPlaylistListBox->SetData(nullptr);
    AudioPlayer->OnStartPlayingURL = nullptr;
    AudioPlayer->OnStartPlayingLocalFile = nullptr;
    AudioPlayer->OnStop = nullptr;
    AudioPlayer->OnPause = nullptr;
    AudioPlayer->OnResume = nullptr;
    AudioPlayer->OnConnectionStart = nullptr;
    AudioPlayer->OnConnectionError = nullptr;
    AudioPlayer->OnPlayingPositionChange = nullptr;
    AudioPlayer->OnDownloadProgress = nullptr;
    AudioPlayer->OnTrackNotAvailable = nullptr;
}

void TMainForm::closeEvent(QCloseEvent *Event)
{
    QMainWindow::closeEvent(Event);
    if (!Event->isAccepted())
        return;
    SaveWindowState();
    FPlaylistPopup->close();
    ReleasePlayer();
    // Qt would go on while the settings window is open.
    QCoreApplication::quit();
}
