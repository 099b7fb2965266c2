#include "ui/tracklists/TVKAudioListBoxUnit.h"

#include "playback/TAudioPlayerUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/animations/TVirtualAddTrackAnimationUnit.h"
#include "ui/tracklists/TLoadingIndicatorUnit.h"

#include <QEvent>
#include <QLayout>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int RowButtonSize = 20;
constexpr int TitleX = 32;
// Between the title and whatever is right of it.
constexpr int TitleGap = 6;
constexpr int DownloadWidth = 24;
constexpr int DownloadRightMargin = 5;
constexpr int IndicatorRightMargin = 3;
constexpr int DurationRightMargin = DownloadWidth + DownloadRightMargin + 4;
constexpr int AnimationViewWidth = 60;

TVirtualShapeAnimation *RunningAnimation(std::type_index ClassType, int ID)
{
    TVirtualShapeAnimation *animation = nullptr;
    if (ID == 0 || !GetInstance<TVirtualShapeAnimationTable>()->TryGetAnimation(ClassType, ID, animation))
        return nullptr;
    return animation;
}

// The surface of a list inside a page, filling its parent.
QWidget *NewPageSurface(QWidget *Parent)
{
    auto *surface = new QWidget(Parent);
    QLayout *layout = Parent->layout();
    if (!layout) {
        layout = new QVBoxLayout(Parent);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(surface);
    return surface;
}

} // namespace

// TCustomVKAudioListBox

TCustomVKAudioListBox::~TCustomVKAudioListBox()
{
    UnhookData(FData);
}

void TCustomVKAudioListBox::SetData(TCustomVKAudioData *AData)
{
    UnhookData(FData);
    FData = AData;
    HookData(FData);
    RefreshData();
}

int TCustomVKAudioListBox::GetItemsCount() const
{
    return FData ? FData->Count() : 0;
}

TVKAudioTrackViewData *TCustomVKAudioListBox::VKTrack(int Index) const
{
    if (Index < 0 || Index >= GetItemsCount())
        return nullptr;
    // Only rows of exactly this class are the site's tracks.
    TCustomAudioTrackViewData *track = FData->getTrack(Index);
    return typeid(*track) == typeid(TVKAudioTrackViewData) ? static_cast<TVKAudioTrackViewData *>(track) : nullptr;
}

void TCustomVKAudioListBox::RepaintItemByAID(int AID)
{
    for (auto *panel : ActualItems())
        if (const auto *track = VKTrack(panel->Index()); track && track->AID == AID)
            panel->Repaint();
}

bool TCustomVKAudioListBox::IsPlayingItem(int Index) const
{
    if (!FData || !AudioPlayer || Index < 0 || Index >= GetItemsCount())
        return false;
    const TCustomPlaylistItem *item = FData->GetPlaylistItemByTrackIndex(Index);
    return item && item->EqualsTo(AudioPlayer->CurrentPlaylistItem());
}

void TCustomVKAudioListBox::PlayItem(int Index)
{
    if (!FData || !AudioPlayer)
        return;
    if (IsPlayingItem(Index)) {
        if (AudioPlayer->State() == TAudioPlayerState::psPlaying)
            AudioPlayer->Pause();
        else
            AudioPlayer->Resume();
        return;
    }
    const int position = FData->TrackIndexToPlaylistIndex(Index);
    if (position < 0)
        return;
    AudioPlayer->SetPlaylist(FData->Playlist());
    AudioPlayer->Play(position);
}

// TVKAudioListBox

TVKAudioListBox::TVKAudioListBox(QObject *Owner, QAbstractScrollArea *AScrollControl,
    TDynamicListPanelClass APanelClass, QScrollBar *AScrollBar, QWidget *AScrollBox) :
      TCustomVKAudioListBox(Owner, AScrollControl, std::move(APanelClass), AScrollBar, AScrollBox)
{
    AfterScrollBarChange = [this](TObject *) { CheckNextPage(); };
}

TVKAudioData *TVKAudioListBox::Data() const
{
    return static_cast<TVKAudioData *>(TCustomVKAudioListBox::Data());
}

void TVKAudioListBox::SetData(TVKAudioData *AData)
{
    FUnfilledAskedCount = -1;
    TCustomVKAudioListBox::SetData(AData);
    CheckUnfilledList();
}

void TVKAudioListBox::CheckNextPage()
{
    // Rows that fit have no end to scroll to (CheckUnfilledList).
    if (!Data() || !ScrollBar() || TotalItemsHeight() <= SurfaceHeight() || ScrollBar()->maximum() <= 0)
        return;
    if (ScrollBar()->value() == ScrollBar()->maximum())
        Data()->NextPage();
}

void TVKAudioListBox::CheckUnfilledList()
{
    if (!Data() || ItemsCount() == 0 || TotalItemsHeight() > SurfaceHeight() || ItemsCount() == FUnfilledAskedCount)
        return;
    FUnfilledAskedCount = ItemsCount();
    Data()->NextPage();
}

void TVKAudioListBox::DataChanged(bool IsCurrentDataUpdated)
{
    if (!IsCurrentDataUpdated)
        FUnfilledAskedCount = -1;
    TCustomVKAudioListBox::DataChanged(IsCurrentDataUpdated);
    CheckUnfilledList();
}

bool TVKAudioListBox::eventFilter(QObject *Watched, QEvent *Event)
{
    const bool handled = TCustomVKAudioListBox::eventFilter(Watched, Event);
    if (Watched == ScrollBox() && Event->type() == QEvent::Resize)
        CheckUnfilledList();
    return handled;
}

// The typed lists

TVKUserAudioData *TVKUserAudioListBox::Data() const
{
    return static_cast<TVKUserAudioData *>(TVKAudioListBox::Data());
}

void TVKUserAudioListBox::SetData(TVKUserAudioData *AData)
{
    TVKAudioListBox::SetData(AData);
}

TVKSearchAudioData *TVKSearchAudioListBox::Data() const
{
    return static_cast<TVKSearchAudioData *>(TVKAudioListBox::Data());
}

void TVKSearchAudioListBox::SetData(TVKSearchAudioData *AData)
{
    TVKAudioListBox::SetData(AData);
}

TVKCompositeAudioData *TVKCompositeAudioListBox::Data() const
{
    return static_cast<TVKCompositeAudioData *>(TCustomVKAudioListBox::Data());
}

void TVKCompositeAudioListBox::SetData(TVKCompositeAudioData *AData)
{
    TCustomVKAudioListBox::SetData(AData);
}

TMetaVKCompositeAudioListBox::TMetaVKCompositeAudioListBox(
    QObject *AOwner, QAbstractScrollArea *AScrollControl, QWidget *AControlsParent) :
      TVKCompositeAudioListBox(AOwner, AScrollControl, PanelClassOf<TVKCompositeAudioListBoxItem>(), nullptr,
          NewPageSurface(AControlsParent))
{
    auto *scrollBar = new QScrollBar(Qt::Vertical, ScrollBox());
    scrollBar->hide();
    SetScrollBar(scrollBar);
    SetItemHeight(32);
    InitializeWhenShown();
}

// TVKAudioListBoxItem

TVKAudioListBoxItem::TVKAudioListBoxItem(TDynamicListBox *AListBox) :
      TQelmListBoxItem(AListBox), PlayButton(new TDynamicListButton(this)),
      DownloadButton(new TDynamicListButton(this)), MyMusicButton(new TDynamicListButton(this)),
      MyMusicAnimationView(new TVirtualShapeAnimationView(this)), TitleLabel(new TDynamicListLabel(this)),
      DurationLabel(new TDynamicListLabel(this)), LoadingIndicator(new TLoadingIndicator(this))
{
    for (auto *button : {PlayButton, DownloadButton, MyMusicButton})
        button->setFocusPolicy(Qt::NoFocus);
    PlayButton->setGeometry(6, 6, RowButtonSize, RowButtonSize);
    SetStyleLookup(PlayButton, QStringLiteral("playtrackButtonstyle"));
    SetStyleLookup(DownloadButton, QStringLiteral("downloadButtonstyle"));
    SetStyleLookup(MyMusicButton, QStringLiteral("addtrackButtonstyle"));
    MyMusicButton->hide();
    MyMusicAnimationView->hide();
    LoadingIndicator->hide();
    for (auto *label : {TitleLabel, DurationLabel}) {
        QFont font = label->font();
        font.setPixelSize(14);
        label->setFont(font);
    }
    SetStyleLookup(TitleLabel, QStringLiteral("tracktextstyle"));
    SetStyleLookup(DurationLabel, QStringLiteral("durationLabelstyle"));
    connect(PlayButton, &QPushButton::clicked, this, [this] { ListBox()->PlayItem(Index()); });
    connect(DownloadButton, &QPushButton::clicked, this, [this] { DownloadButtonClick(); });
    connect(MyMusicButton, &QPushButton::clicked, this, [this] { MyMusicButtonClick(); });
}

void TVKAudioListBoxItem::LayoutRightSide()
{
    const int w = width();
    const int h = height();
    DownloadButton->setGeometry(w - DownloadRightMargin - DownloadWidth, (h - 24) / 2, DownloadWidth, 24);
    LoadingIndicator->move(w - IndicatorRightMargin - LoadingIndicator->width(), (h - LoadingIndicator->height()) / 2);
    DurationLabel->move(w - DurationRightMargin - DurationLabel->width(), (h - DurationLabel->height()) / 2);
    // The My Music button sits just left of the duration, its animation
    // reaching 20 pixels further right.
    const int buttonX = DurationLabel->x() - 4 - RowButtonSize;
    MyMusicButton->setGeometry(buttonX, (h - RowButtonSize) / 2, RowButtonSize, RowButtonSize);
    MyMusicAnimationView->setGeometry(
        buttonX + RowButtonSize + 20 - AnimationViewWidth, (h - RowButtonSize) / 2, AnimationViewWidth, RowButtonSize);
}

void TVKAudioListBoxItem::SetTitle(const QString &Text, int Limit)
{
    TitleLabel->setText(TitleLabel->CropText(Text, Limit - TitleGap - TitleX));
    TitleLabel->adjustSize();
    TitleLabel->move(TitleX, (height() - TitleLabel->height()) / 2);
}

void TVKAudioListBoxItem::UpdateContent()
{
    if (const auto *track = ListBox()->VKTrack(Index()))
        PaintTrack(*track);
}

void TVKAudioListBoxItem::PaintTrack(const TVKAudioTrackViewData &Track)
{
    PlayButton->show();
    const QString playState = UpdatePlayControls(PlayButton, DurationLabel, TitleLabel,
        ListBox()->IsPlayingItem(Index()), ListBox()->Data()->TrackIndexToPlaylistIndex(Index()) >= 0, Track.Duration);
    LayoutRightSide();
    UpdateMyMusicButton(Track);
    const QString downloadState = UpdateDownload(Track);
    int limit = DurationLabel->x();
    if (!MyMusicButton->isHidden())
        limit = MyMusicButton->x();
    if (!MyMusicAnimationView->isHidden())
        limit = std::min(limit, MyMusicAnimationView->x());
    const QString text = TrackText(Track.Artist, Track.Title);
    SetTitle(text, limit);
    UpdateBackground();
    SetAccessibleRowName(text, {playState, downloadState});
}

void TVKAudioListBoxItem::UpdateMyMusicButton(const TVKAudioTrackViewData &Track)
{
    const TCustomVKAudioData *audioData = ListBox()->Data();
    QString style;
    QString hint;
    if (dynamic_cast<const TVKUserAudioData *>(audioData)) {
        style = QStringLiteral("deltrackButtonstyle");
        hint = QStringLiteral("ALCI_DeleteFromMyMusicButton_Hint");
    } else if (audioData->IsTrackAddedToMyMusic(Index())) {
        style = QStringLiteral("addedtrackButtonstyle");
        hint = QStringLiteral("ALCI_AddedToMyMusicButton_Hint");
    } else {
        style = QStringLiteral("addtrackButtonstyle");
        hint = QStringLiteral("ALCI_AddToMyMusicButton_Hint");
    }
    SetStyleLookupIfChanged(MyMusicButton, style);
    MyMusicButton->setAccessibleName(LocalizedText(hint));
    MyMusicButton->setVisible(IsMouseIn());
    auto *animation = static_cast<TVirtualAddTrackAnimation *>(
        RunningAnimation(typeid(TVirtualAddTrackAnimation), Track.AddTrackAnimationID));
    if (!animation) {
        MyMusicAnimationView->hide();
        return;
    }
    animation->AttachView(MyMusicAnimationView);
    MyMusicAnimationView->show();
    animation->SetIsMouseIn(IsMouseIn());
    if (animation->State() != asStopped)
        MyMusicButton->hide();
}

QString TVKAudioListBoxItem::UpdateDownload(const TCustomVKAudioTrackViewData &Track)
{
    DownloadButton->setAccessibleName(LocalizedText(QStringLiteral("ALCI_DownloadButton_Hint")));
    const auto &stateOf = ListBox()->GetTrackStateRequestProc();
    TTrackState state = tsNotFound;
    int percent = 0;
    if (stateOf)
        stateOf(Track.AID, Track.OwnerID, state, percent);
    if (state != tsNotFound) {
        DownloadButton->hide();
        LoadingIndicator->SetValue(percent);
        LoadingIndicator->show();
        return LocalizedText(state == tsSaved ? QStringLiteral("ALCI_DownloadedState_Text")
                                              : QStringLiteral("ALCI_DownloadingState_Text"));
    }
    LoadingIndicator->hide();
    DownloadButton->show();
    DownloadButton->setEnabled(bool(stateOf));
    return QString();
}

void TVKAudioListBoxItem::DoClick()
{
    TQelmListBoxItem::DoClick();
    ListBox()->PlayItem(Index());
}

void TVKAudioListBoxItem::MyMusicButtonClick()
{
    TCustomVKAudioData *audioData = ListBox()->Data();
    const QString style = GetStyleLookup(MyMusicButton);
    if (style == u"addtrackButtonstyle") {
        audioData->AddToMyMusic(Index());
    } else if (style == u"deltrackButtonstyle") {
        // Only the user's own list shows this style; the window asks first.
        if (auto *list = qobject_cast<TVKUserAudioListBox *>(ListBox()); list && list->OnDeleteFromMyMusic)
            list->OnDeleteFromMyMusic(Index());
    }
}

void TVKAudioListBoxItem::DownloadButtonClick()
{
    const auto &save = ListBox()->SaveTrackRequestProc();
    const int position = ListBox()->Data()->TrackIndexToPlaylistIndex(Index());
    if (!save || position < 0)
        return;
    save(*ListBox()->Data()->Playlist()->getItem(position));
}

// TCompositeItemsBGData

TCompositeItemsBGData::TCompositeItemsBGData() :
      FlatItemBackgroundBitmap(StyleBitmap(QStringLiteral("flatitembackgroundbitmap"))),
      FlatActiveItemBackgroundBitmap(StyleBitmap(QStringLiteral("activeflatitembackgroundbitmap"))),
      FlatPlayingItemBackgroundBitmap(StyleBitmap(QStringLiteral("playingflatitembackgroundbitmap")))
{
}

// TVKCompositeAudioListBoxItem

TVKCompositeAudioListBoxItem::TVKCompositeAudioListBoxItem(TDynamicListBox *AListBox) :
      TVKAudioListBoxItem(AListBox), UnavailableTrackIndicator(new QLabel(this)),
      LoadingAnimationView(new TVirtualShapeAnimationView(this))
{
    GetInstance<TCompositeItemsBGData>();
    SetStyleLookup(UnavailableTrackIndicator, QStringLiteral("notfoundtrackPanelstyle"));
    UnavailableTrackIndicator->setGeometry(8, 8, 16, 16);
    UnavailableTrackIndicator->setFocusPolicy(Qt::NoFocus);
    UnavailableTrackIndicator->hide();
    LoadingAnimationView->setGeometry(7, 7, 18, 18);
    LoadingAnimationView->hide();
}

QPixmap TVKCompositeAudioListBoxItem::BackgroundBitmap() const
{
    const auto *bitmaps = GetInstance<TCompositeItemsBGData>();
    if (PaintedAsPlaying())
        return bitmaps->FlatPlayingItemBackgroundBitmap;
    return IsMouseIn() ? bitmaps->FlatActiveItemBackgroundBitmap : bitmaps->FlatItemBackgroundBitmap;
}

void TVKCompositeAudioListBoxItem::UpdateContent()
{
    UnavailableTrackIndicator->hide();
    LoadingAnimationView->hide();
    if (ListBox()->VKTrack(Index())) {
        TVKAudioListBoxItem::UpdateContent();
        return;
    }
    const auto *item = dynamic_cast<const TCompositeAudioDataItemViewData *>(ListBox()->Data()->getTrack(Index()));
    if (!item)
        return;
    UpdatePlayControls(PlayButton, DurationLabel, TitleLabel, false, false, item->Duration);
    PlayButton->hide();
    QString state;
    const bool searching = item->State == TCompositeAudioDataItemState::cdiSearching;
    if (searching) {
        state = LocalizedText(QStringLiteral("ALCI_SearchingState_Text"));
        if (auto *animation = RunningAnimation(typeid(TVirtualLoadingAnimation), item->LoadingAnimationID)) {
            animation->AttachView(LoadingAnimationView);
            LoadingAnimationView->show();
        }
    } else if (item->State != TCompositeAudioDataItemState::cdiPending) {
        state = LocalizedText(item->State == TCompositeAudioDataItemState::cdiError
                ? QStringLiteral("EM_TrackSearchError")
                : QStringLiteral("EM_TrackNotFoundVK"));
        UnavailableTrackIndicator->setProperty(HintProperty, state);
        UnavailableTrackIndicator->setAccessibleName(state);
        UnavailableTrackIndicator->show();
    }
    // A track the site may still have reads as usual; one it lacks is dimmed.
    const QString textStyle = searching || item->State == TCompositeAudioDataItemState::cdiPending
        ? QStringLiteral("tracktextstyle")
        : QStringLiteral("unavailabletracktextstyle");
    SetStyleLookupIfChanged(DurationLabel, textStyle);
    SetStyleLookupIfChanged(TitleLabel, textStyle);
    DurationLabel->adjustSize();
    LayoutRightSide();
    MyMusicButton->hide();
    MyMusicAnimationView->hide();
    LoadingIndicator->hide();
    DownloadButton->show();
    DownloadButton->setEnabled(false);
    const QString text = TrackText(item->Artist, item->Title);
    SetTitle(text, DurationLabel->x());
    UpdateBackground();
    SetAccessibleRowName(text, {state});
}
