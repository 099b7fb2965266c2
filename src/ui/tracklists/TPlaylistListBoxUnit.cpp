#include "ui/tracklists/TPlaylistListBoxUnit.h"

#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int RowButtonSize = 20;
constexpr int TitleX = 28;
// Between the title and the duration.
constexpr int TitleGap = 6;
constexpr int DurationRightPadding = 4;

} // namespace

TPlaylistListBox::~TPlaylistListBox()
{
    UnhookData(FData);
}

void TPlaylistListBox::SetData(TAudioPlaylist *AData)
{
    UnhookData(FData);
    FData = AData;
    HookData(FData);
    RefreshData();
}

int TPlaylistListBox::GetItemsCount() const
{
    return FData ? FData->Count() : 0;
}

bool TPlaylistListBox::IsPlayersPlaylist() const
{
    return AudioPlayer && FData == AudioPlayer->Playlist();
}

bool TPlaylistListBox::IsPlayingItem(int Index) const
{
    if (!FData || !AudioPlayer || Index < 0 || Index >= GetItemsCount())
        return false;
    if (IsPlayersPlaylist())
        return Index == AudioPlayer->CurrentPlaylistIndex();
    return FData->getItem(Index)->EqualsTo(AudioPlayer->CurrentPlaylistItem());
}

void TPlaylistListBox::PlayItem(int Index)
{
    if (!FData || !AudioPlayer || Index < 0 || Index >= GetItemsCount())
        return;
    if (IsPlayingItem(Index)) {
        if (AudioPlayer->State() == TAudioPlayerState::psPlaying)
            AudioPlayer->Pause();
        else
            AudioPlayer->Resume();
        return;
    }
    if (!IsPlayersPlaylist())
        AudioPlayer->SetPlaylist(FData);
    AudioPlayer->Play(Index);
}

void TPlaylistListBox::FocusOnPlayingItem()
{
    const int index = AudioPlayer ? AudioPlayer->CurrentPlaylistIndex() : -1;
    const double H = SurfaceHeight();
    const double T = double(TotalItemsHeight());
    // Rows that fit the view have nothing to scroll.
    if (index < 0 || !ScrollBar() || T <= H)
        return;
    const double IH = ItemHeight();
    const double centred = H / 2 - IH / 2 - index * IH;
    ScrollBar()->setValue(ValueForOffset(std::clamp(centred, H - T, 0.0)));
}

TPlaylistListBoxItem::TPlaylistListBoxItem(TDynamicListBox *AListBox) :
      TQelmListBoxItem(AListBox), PlayButton(new TDynamicListButton(this)), TitleLabel(new TDynamicListLabel(this)),
      DurationLabel(new TDynamicListLabel(this))
{
    PlayButton->setFocusPolicy(Qt::NoFocus);
    SetStyleLookup(PlayButton, QStringLiteral("playtrackButtonstyle"));
    for (auto *label : {TitleLabel, DurationLabel}) {
        QFont font = label->font();
        font.setPixelSize(12);
        label->setFont(font);
    }
    SetStyleLookup(TitleLabel, QStringLiteral("tracktextstyle"));
    SetStyleLookup(DurationLabel, QStringLiteral("durationLabelstyle"));
    connect(PlayButton, &QPushButton::clicked, this, [this] { ListBox()->PlayItem(Index()); });
}

QPixmap TPlaylistListBoxItem::BackgroundBitmap() const
{
    if (PaintedAsPlaying())
        return Bitmap(rbPlayingMiniItem);
    return Bitmap(IsMouseIn() ? rbActiveMiniItem : rbMiniItem);
}

void TPlaylistListBoxItem::UpdateContent()
{
    const TCustomPlaylistItem &item = *ListBox()->Data()->getItem(Index());
    const QString playState = UpdatePlayControls(
        PlayButton, DurationLabel, TitleLabel, ListBox()->IsPlayingItem(Index()), true, item.Duration);
    const int h = height();
    PlayButton->setGeometry(4, (h - RowButtonSize) / 2, RowButtonSize, RowButtonSize);
    DurationLabel->move(width() - DurationRightPadding - DurationLabel->width(), (h - DurationLabel->height()) / 2);
    const QString text = TrackText(item.Artist, item.Title);
    TitleLabel->setText(TitleLabel->CropText(text, DurationLabel->x() - TitleGap - TitleX));
    // As wide as the text shown, so the row's clicks are the row's.
    TitleLabel->adjustSize();
    TitleLabel->move(TitleX, (h - TitleLabel->height()) / 2);
    UpdateBackground();
    SetAccessibleRowName(text, {playState});
}

void TPlaylistListBoxItem::DoClick()
{
    TQelmListBoxItem::DoClick();
    ListBox()->PlayItem(Index());
}
