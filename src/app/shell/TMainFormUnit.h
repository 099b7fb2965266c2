#pragma once

#include "app/shell/THandleCreateExceptionFormUnit.h"
#include "ui/tracklists/TQelmListBoxItemUnit.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QWidget;
class TArtistImageWrapper;
class TAuthOverlay;
class TCustomPlaylistItem;
class TLastFMAPIRequestManager;
class TLastFMArtistImageSource;
class TListAnimations;
class TMainFormTooltip;
class TLoadingProgressBarWrapper;
class TMetaDataViewsManager;
class TLocalAudioData;
class TLocalAudioListBox;
class TPlayerControlsPanelWrapper;
class TPlaylistControlsPanelWrapper;
class TPlaylistListBox;
class TPlaylistPopup;
class TSavedTracksDataSet;
class TSearchEditWrapper;
class TTitleLabelWrapper;
class TVKAPIManager;
class TVKAudioPlaylistItem;
class TVKEmulationManager;
class TVKSearchAudioData;
class TVKSearchAudioListBox;
class TVKUserAudioData;
class TVKUserAudioListBox;
class TWindowNote;
namespace Ui {
class TMainFormLayout;
}

// The main window: tabs, lists, the player bar and the sign-in panels.
// Closing it ends the program, whatever other windows are open. It owns the
// network clients, which go before the rest of the window.
class TMainForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    // The client area the window opens with; it may grow beyond it.
    static constexpr int DefaultClientWidth = 636;
    static constexpr int DefaultClientHeight = 568;
    // Left and Right seek by this many seconds.
    static constexpr int SeekStep = 5;
    // Ctrl+Up and Ctrl+Down move the volume slider by this much of its range.
    static constexpr int VolumeStep = 5;

    TMainForm();
    ~TMainForm() override;

    TVKEmulationManager &VKEmulationManager() const { return *FVKEmulationManager; }
    TVKAPIManager &VKAPIManager() const { return *FVKAPIManager; }
    TLastFMAPIRequestManager &LastFMRequestManager() const { return *FLastFMRequestManager; }
    TLocalAudioData &LocalAudioData() const { return *FLocalAudioData; }
    TVKUserAudioData &UserAudioData() const { return *FUserAudioData; }
    TVKSearchAudioData &SearchAudioData() const { return *FSearchAudioData; }
    // The saved-tracks table was damaged at start-up and its backup took its
    // place: the downloads recorded since then are no longer listed.
    bool SavedTracksRestored() const { return FSavedTracksRestored; }

    TVKUserAudioListBox *VKUserAudioListBox() const { return FVKUserAudioListBox; }
    TVKSearchAudioListBox *VKSearchAudioListBox() const { return FVKSearchAudioListBox; }
    TLocalAudioListBox *LocalAudioListBox() const { return FLocalAudioListBox; }
    TPlaylistListBox *AudioPlaylistListBox() const { return FAudioPlaylistListBox; }
    TPlayerControlsPanelWrapper *PlayerControls() const { return FPlayerControls.get(); }
    TArtistImageWrapper *ArtistImage() const { return FArtistImage.get(); }
    TPlaylistControlsPanelWrapper *PlaylistControls() const { return FPlaylistControls.get(); }
    TLoadingProgressBarWrapper *LoadingProgressBarWrapper() const { return FLoadingProgressBarWrapper.get(); }
    TTitleLabelWrapper *TitleLabel() const { return FTitleLabel.get(); }
    TSearchEditWrapper *SearchEdit() const { return FSearchEdit.get(); }
    TPlaylistPopup *PlaylistPopup() const { return FPlaylistPopup; }
    TWindowNote *Note() const { return FNote; }
    TAuthOverlay &AuthOverlay() const { return *FAuthOverlay; }
    TMainFormTooltip &Tooltip() const { return *FTooltip; }
    TMetaDataViewsManager *MetaDataViews() const { return FMetaDataViews; }
    const Ui::TMainFormLayout &Layout() const { return *FUi; }
    // Lets go of the audio player before it is freed: the window outlives it.
    void ReleasePlayer();
    // While false, moves of the playback sliders are the window's own, not seeks.
    bool HandlePlayingTrackBarChange() const { return FHandlePlayingTrackBarChange; }

    // The asking of the destructive actions; the default asks with a message box.
    std::function<bool(const QString &Question)> ConfirmProc;
    // Shown by the title bar's settings button.
    QPointer<QWidget> SettingsForm;

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
    void closeEvent(QCloseEvent *Event) override;
    bool event(QEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    // Opens the saved-tracks table, restoring it from its backup when it is
    // damaged; raises "EM_CorruptedSavedTracksDB" when neither copy opens,
    // "EM_SavedTracksDBNotOpened" with the reason when the table cannot be
    // read at all (then nothing is restored).
    void InitializeDB();
    void InitializeClients();
    void InitializeVisualControls();
    // The header strip's settings and logout buttons and its caption.
    void FindTitleParts();
    void InitializeListBoxes();
    void InitializeKeyboard();
    void ApplySettingValues();
    void SetPlayerEvents();
    void RestoreWindowState();
    void SaveWindowState();

    // Tabs and search
    void MainTabControlTabButtonClick(QObject *Sender);
    void SearchTabControlTabButtonClick(QObject *Sender);
    void SearchEditControlChange();
    void SearchResultEvent();
    void PlayingArtistClick();
    void PlaceTabPointers();
    void PlaceSearchIndicator();

    // Player bar
    void PlayPauseButtonClickEvent(QObject *Sender);
    void NextTrackButtonClickEvent();
    void PrevTrackButtonClickEvent();
    void RepeatButtonClickEvent();
    void ShuffleButtonClickEvent();
    void PlaylistButtonClickEvent();
    void PlaylistPopupClosePopup();
    void VolumeTrackBarChangeEvent();
    void VolumeTrackBarReleased();
    void MuteButtonStateChangeEvent();
    void PlaybackTrackBarChangeEvent(QObject *Sender);
    void SaveButtonClick();
    void AddToMyMusicButtonClick();
    void SettingsButtonClickEvent();
    void LogoutButtonClickEvent();

    // The player's events
    void PlayerConnectionStartEvent();
    void PlayerStartPlayingURLEvent();
    void PlayerStartPlayingLocalFileEvent();
    void PlayerStopEvent();
    void PlayerPlayingPositionChangeEvent();
    void PlayerPauseResumeEvent();
    void PlayerDownloadProgressEvent(std::uint8_t ProgressPercent);
    void PlayerTrackNotAvailableEvent();

    // Sign-in and the account
    void AuthSuccessEvent();
    void UserNameGetEvent();
    void LogoutEvent();
    void TrackAddedToMyMusicEvent(const TVKAudioPlaylistItem &AddedTrack);
    void RequestStartEvent();
    void RequestEndEvent();

    // Saved tracks
    void GetTrackStateRequest(int AID, int OwnerID, TTrackState &TrackState, int &LoadingPercent) const;
    void SaveTrackRequest(const TVKAudioPlaylistItem &Item);
    void DownloadStartEvent(int AID, int OwnerID);
    void ItemDownloadPercentChangedEvent(int AID);
    void DownloadFailedEvent(int AID, int OwnerID, const QString &Message);
    void DownloadNoLogicalDriveErrorEvent();
    void DeleteLocalTrack(int Index);
    void DeleteFromMyMusic(int Index);

    // Keyboard
    void SeekBy(int Seconds);
    void MoveVolumeBy(int Step);
    void FocusSearch();

    void LanguageChangedMessage();
    void UpdateCaption();

    // The pieces the player's events share.
    void ShowStartedTrack(bool IsLocal);
    void SetBothPlayPauseStates(bool Playing);
    void SetBothPositionTexts(const QString &Text);
    void SetBothTrackBars(bool Visible, int Value);
    void SetBothProgress(bool Enabled, int Value);
    void StopBufferAnimations();
    void RepaintPlayingItems();
    void RepaintItemsByAID(int AID);
    void UpdateTrackButtons();
    // The playing item as a VK track, or null.
    const TVKAudioPlaylistItem *CurrentVKItem() const;
    bool IsInMyMusic(const TVKAudioPlaylistItem &Item) const;
    bool IsSaved(const TVKAudioPlaylistItem &Item) const;
    bool Confirm(const QString &Question);
    QAbstractButton *VisibleMainTabButton() const;

    std::unique_ptr<Ui::TMainFormLayout> FUi;
    std::unique_ptr<TSavedTracksDataSet> FSavedAudioDB;
    bool FSavedTracksRestored = false;
    std::unique_ptr<TVKAPIManager> FVKAPIManager;
    std::unique_ptr<TLastFMAPIRequestManager> FLastFMRequestManager;
    std::unique_ptr<TVKEmulationManager> FVKEmulationManager;
    std::unique_ptr<TLocalAudioData> FLocalAudioData;
    std::unique_ptr<TVKUserAudioData> FUserAudioData;
    std::unique_ptr<TVKSearchAudioData> FSearchAudioData;
    std::unique_ptr<TListAnimations> FListAnimations;
    std::unique_ptr<TLastFMArtistImageSource> FArtistImageSource;

    std::unique_ptr<TTitleLabelWrapper> FTitleLabel;
    std::unique_ptr<TPlayerControlsPanelWrapper> FPlayerControls;
    std::unique_ptr<TLoadingProgressBarWrapper> FLoadingProgressBarWrapper;
    std::unique_ptr<TArtistImageWrapper> FArtistImage;
    std::unique_ptr<TSearchEditWrapper> FSearchEdit;
    std::unique_ptr<TPlaylistControlsPanelWrapper> FPlaylistControls;
    TPlaylistPopup *FPlaylistPopup = nullptr;
    TWindowNote *FNote = nullptr;
    TAuthOverlay *FAuthOverlay = nullptr;
    TMainFormTooltip *FTooltip = nullptr;
    QPointer<QAbstractButton> FSettingsButton;
    QPointer<QAbstractButton> FLogoutButton;
    QPointer<QLabel> FWindowTitleCaptionText;
    QWidget *FUserTabPointer = nullptr;
    QWidget *FSearchTabPointer = nullptr;
    QWidget *FLocalTabPointer = nullptr;

    TVKUserAudioListBox *FVKUserAudioListBox = nullptr;
    TVKSearchAudioListBox *FVKSearchAudioListBox = nullptr;
    TLocalAudioListBox *FLocalAudioListBox = nullptr;
    TPlaylistListBox *FAudioPlaylistListBox = nullptr;
    TMetaDataViewsManager *FMetaDataViews = nullptr;

    bool FHandlePlayingTrackBarChange = false;
    bool FIsSignedIn = false;
    // The handlers this window added to the web client's event lists.
    std::uint64_t FAuthSuccessHandler = 0;
    std::uint64_t FTrackAddedHandler = 0;
};
