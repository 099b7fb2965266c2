#include "ui/tracklists/TLocalAudioListBoxUnit.h"

#include "app/helpers/FileUtilsUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/tracklists/TLoadingIndicatorUnit.h"

#include <QGraphicsOpacityEffect>

namespace {

constexpr int RowButtonSize = 20;
constexpr int TitleX = 32;
// Between the title and whatever is right of it.
constexpr int TitleGap = 6;
constexpr int IndicatorRightMargin = 3;
constexpr int DeleteWidth = 24;
constexpr int DeleteRightMargin = 5;
constexpr int DurationRightMargin = 35;
constexpr int ExploreWidth = 24;
constexpr int ExploreRightMargin = 6;

} // namespace

TLocalAudioListBox::~TLocalAudioListBox()
{
    UnhookData(FData);
}

void TLocalAudioListBox::SetData(TLocalAudioData *AData)
{
    UnhookData(FData);
    FData = AData;
    HookData(FData);
    RefreshData();
}

int TLocalAudioListBox::GetItemsCount() const
{
    return FData ? FData->Count() : 0;
}

void TLocalAudioListBox::RepaintItemByAID(int AID)
{
    for (auto *panel : ActualItems()) {
        const int index = panel->Index();
        if (index < 0 || index >= GetItemsCount())
            continue;
        const int aid
            = FData->IsSavedTrack(index) ? FData->getSavedTrack(index).AID : FData->getLoadingTrack(index).AID;
        if (aid == AID)
            panel->Repaint();
    }
}

bool TLocalAudioListBox::IsPlayingItem(int Index) const
{
    if (!FData || !AudioPlayer || Index < 0 || Index >= GetItemsCount() || !FData->IsSavedTrack(Index))
        return false;
    const int position = FData->GetPlaylistIndexByItemIndex(Index);
    return position >= 0 && FData->getPlaylistItem(position)->EqualsTo(AudioPlayer->CurrentPlaylistItem());
}

void TLocalAudioListBox::PlayItem(int Index)
{
    if (!FData || !AudioPlayer || Index < 0 || Index >= GetItemsCount() || !FData->IsSavedTrack(Index))
        return;
    if (IsPlayingItem(Index)) {
        if (AudioPlayer->State() == TAudioPlayerState::psPlaying)
            AudioPlayer->Pause();
        else
            AudioPlayer->Resume();
        return;
    }
    const int position = FData->GetPlaylistIndexByItemIndex(Index);
    if (position < 0)
        return;
    AudioPlayer->SetPlaylist(&FData->Playlist());
    AudioPlayer->Play(position);
}

void TLocalAudioListBox::DeleteItem(int Index)
{
    if (OnDeleteTrack && Index >= 0 && Index < GetItemsCount() && !IsPlayingItem(Index))
        OnDeleteTrack(Index);
}

void TLocalAudioListBox::ExploreItem(int Index)
{
    if (FData && Index >= 0 && Index < GetItemsCount() && FData->IsSavedTrack(Index))
        ShowFileInExplorer(FData->getSavedTrack(Index).FilePath);
}

TLocalAudioListBoxItem::TLocalAudioListBoxItem(TDynamicListBox *AListBox) :
      TQelmListBoxItem(AListBox), PlayButton(new TDynamicListButton(this)), DeleteButton(new TDynamicListButton(this)),
      ExploreButton(new TDynamicListButton(this)), TitleLabel(new TDynamicListLabel(this)),
      DurationLabel(new TDynamicListLabel(this)), LoadingIndicator(new TLoadingIndicator(this)),
      FDeleteButtonOpacity(new QGraphicsOpacityEffect(DeleteButton))
{
    for (auto *button : {PlayButton, DeleteButton, ExploreButton})
        button->setFocusPolicy(Qt::NoFocus);
    PlayButton->setGeometry(6, 6, RowButtonSize, RowButtonSize);
    SetStyleLookup(PlayButton, QStringLiteral("playtrackButtonstyle"));
    SetStyleLookup(DeleteButton, QStringLiteral("deleteButtonStyle"));
    SetStyleLookup(ExploreButton, QStringLiteral("openfileButtonstyle"));
    DeleteButton->setGraphicsEffect(FDeleteButtonOpacity);
    DeleteButton->hide();
    ExploreButton->hide();
    for (auto *label : {TitleLabel, DurationLabel}) {
        QFont font = label->font();
        font.setPixelSize(14);
        label->setFont(font);
    }
    SetStyleLookup(TitleLabel, QStringLiteral("tracktextstyle"));
    SetStyleLookup(DurationLabel, QStringLiteral("durationLabelstyle"));
    connect(PlayButton, &QPushButton::clicked, this, [this] { ListBox()->PlayItem(Index()); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { ListBox()->DeleteItem(Index()); });
    connect(ExploreButton, &QPushButton::clicked, this, [this] { ListBox()->ExploreItem(Index()); });
}

qreal TLocalAudioListBoxItem::DeleteButtonOpacity() const
{
    return FDeleteButtonOpacity->opacity();
}

void TLocalAudioListBoxItem::UpdateContent()
{
    const TLocalAudioData &audioData = *ListBox()->Data();
    const bool saved = audioData.IsSavedTrack(Index());
    QString artist;
    QString title;
    int duration = 0;
    int percent = 100;
    if (saved) {
        const TSavedTrackRecord track = audioData.getSavedTrack(Index());
        artist = track.Artist;
        title = track.Title;
        duration = track.Duration;
    } else {
        const TLoadingTrackRecord &track = audioData.getLoadingTrack(Index());
        artist = track.Artist;
        title = track.Title;
        duration = track.Duration;
        percent = track.DownloadProgressPercent;
    }
    const bool playing = ListBox()->IsPlayingItem(Index());
    const QString playState = UpdatePlayControls(PlayButton, DurationLabel, TitleLabel, playing, saved, duration);
    const bool hovered = IsMouseIn();

    const int w = width();
    const int h = height();
    LoadingIndicator->move(w - IndicatorRightMargin - LoadingIndicator->width(), (h - LoadingIndicator->height()) / 2);
    LoadingIndicator->SetValue(percent);
    // Over a hovered row the delete button takes the indicator's place.
    LoadingIndicator->SetOpacity(hovered ? 0 : 1);
    DeleteButton->setGeometry(w - DeleteRightMargin - DeleteWidth, (h - 24) / 2, DeleteWidth, 24);
    DeleteButton->setVisible(hovered);
    FDeleteButtonOpacity->setOpacity(playing ? 0.5 : 1);
    DeleteButton->setAccessibleName(LocalizedText(QStringLiteral("ALCI_DeleteButton_Hint")));
    DurationLabel->move(w - DurationRightMargin - DurationLabel->width(), (h - DurationLabel->height()) / 2);
    ExploreButton->setGeometry(DurationLabel->x() - ExploreRightMargin - ExploreWidth, (h - 24) / 2, ExploreWidth, 24);
    ExploreButton->setVisible(hovered && saved);
    ExploreButton->setEnabled(hovered && saved);
    ExploreButton->setAccessibleName(LocalizedText(QStringLiteral("ALCI_ExploreButton_Hint_Windows")));

    const QString text = TrackText(artist, title);
    const int limit = hovered ? ExploreButton->x() : DurationLabel->x();
    TitleLabel->setText(TitleLabel->CropText(text, limit - TitleGap - TitleX));
    TitleLabel->adjustSize();
    TitleLabel->move(TitleX, (h - TitleLabel->height()) / 2);
    UpdateBackground();
    SetAccessibleRowName(text,
        {playState,
            LocalizedText(
                saved ? QStringLiteral("ALCI_DownloadedState_Text") : QStringLiteral("ALCI_DownloadingState_Text"))});
}

void TLocalAudioListBoxItem::DoClick()
{
    TQelmListBoxItem::DoClick();
    ListBox()->PlayItem(Index());
}
