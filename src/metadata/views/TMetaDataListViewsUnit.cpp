#include "metadata/views/TMetaDataListViewsUnit.h"

#include "metadata/pages/TAlbumsDataUnit.h"
#include "metadata/pages/TArtistsDataUnit.h"
#include "metadata/pages/TTracksDataUnit.h"
#include "metadata/views/TCoverImageDataViewUnit.h"
#include "metadata/views/TMetaDataContentCoverUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TVirtualShapeAnimationUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"
#include "ui/wrappers/TMetaDataBlockExpanderWrapperUnit.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLayout>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int StripSpacing = 5;
} // namespace

void ShowSectionState(TMetaDataBlockExpanderWrapper &Expander, std::uint8_t State, bool HasItems, const char *EmptyKey)
{
    const char *error = nullptr;
    if (State == mdsLoaded)
        error = HasItems ? nullptr : EmptyKey;
    else if (State == mdsRequestFailed)
        error = "EM_RequestFailed";
    else if (State == mdsServiceError)
        error = "EM_UnknownError";
    else
        return;
    if (error)
        Expander.SetErrorIndicatorHint(MetaDataText(error));
    Expander.SetMode(error ? mdemError : mdemNormal);
}

// TImageMetaDataBlockListView

TImageMetaDataBlockListView::TImageMetaDataBlockListView(QObject *AOwner, QWidget *ASurface, TExpander *AExpander) :
      TMetaDataView(AOwner), FSurface(ASurface)
{
    if (AExpander)
        FExpander = new TMetaDataBlockExpanderWrapper(this, AExpander);
}

TImageMetaDataBlockList *TImageMetaDataBlockListView::ListData() const
{
    return static_cast<TImageMetaDataBlockList *>(Data());
}

void TImageMetaDataBlockListView::AddItem()
{
    const int index = static_cast<int>(FItems.size());
    const int side = FSurface->height();
    auto *panel = new QWidget(FSurface);
    panel->setGeometry(index * (side + StripSpacing), 0, side, side);
    panel->setCursor(Qt::PointingHandCursor);
    auto *view = new TCoverImageDataView(this, panel);
    view->OnClick = [this, index](TCoverImageDataView *) {
        if (OnItemClick)
            OnItemClick(index);
    };
    view->SetData(&ListData()->getItem(index).ImageData);
    FItems.push_back(view);
}

void TImageMetaDataBlockListView::UpdateView()
{
    const TImageMetaDataBlockList &list = *ListData();
    if (list.State() == mdsItemsChanged)
        while (static_cast<int>(FItems.size()) < list.Count())
            AddItem();
    for (int i = std::max(list.ActiveItemsCount(), 0); i < list.Count(); ++i)
        list.getItem(i).ImageData.Hide();
    if (list.State() == mdsLoaded)
        for (int i = 0; i < std::min(list.ActiveItemsCount(), static_cast<int>(FItems.size())); ++i)
            FItems[static_cast<std::size_t>(i)]->Control()->setProperty(HintProperty, ItemHint(i));
    if (FExpander)
        ShowSectionState(*FExpander, list.State(), list.ActiveItemsCount() > 0, EmptyKey());
}

void TImageMetaDataBlockListView::LoadingStarted()
{
    if (FExpander)
        FExpander->StartLoadingAnimation();
}

void TImageMetaDataBlockListView::LoadingFinished()
{
    if (FExpander)
        FExpander->StopLoadingAnimation();
}

QString TArtistsDataView::ItemHint(int Index) const
{
    return static_cast<const TCustomArtistsData *>(ListData())->getItem(Index).Name;
}

QString TAlbumsDataView::ItemHint(int Index) const
{
    const TAlbumsDataItem &album = static_cast<const TCustomAlbumsData *>(ListData())->getItem(Index);
    return album.Artist + QStringLiteral(" - ") + album.Title;
}

// TRelatedAlbumsDataView

TRelatedAlbumsDataView::TRelatedAlbumsDataView(QObject *AOwner, QWidget *ASurface) :
      TAlbumsDataView(AOwner, ASurface, nullptr), FContentCover(new TMetaDataContentCover(this, ASurface))
{
}

void TRelatedAlbumsDataView::UpdateView()
{
    TAlbumsDataView::UpdateView();
    const char *error = nullptr;
    switch (ListData()->State()) {
    case mdsCleared:
    case mdsLoaded:
    case mdsItemsChanged:
        FContentCover->SetState(ccsHidden);
        return;
    case mdsRequestFailed:
        error = "EM_RequestFailed";
        break;
    case mdsEmptyResult:
        error = "EM_NoRelatedAlbumsFound";
        break;
    case mdsServiceError:
        error = "EM_UnknownError";
        break;
    default:
        return;
    }
    FContentCover->SetErrorText(MetaDataText(error));
    FContentCover->SetState(ccsError);
}

// TTrackDataView

TTrackDataView::TTrackDataView(QObject *AOwner, QAbstractScrollArea *APage, TExpander *AExpander) :
      TMetaDataView(AOwner), FPage(APage), FExpander(new TMetaDataBlockExpanderWrapper(this, AExpander)),
      FPlace(new QWidget(AExpander->Content())), FTracksListBox(new TMetaVKCompositeAudioListBox(this, APage, FPlace))
{
    if (!AExpander->Content()->layout()) {
        auto *layout = new QVBoxLayout(AExpander->Content());
        layout->setContentsMargins(0, 0, 0, 0);
    }
    AExpander->Content()->layout()->addWidget(FPlace);
    // The surface is placed by hand over the visible part of the place.
    FPlace->layout()->removeWidget(FTracksListBox->ScrollBox());
    FPlace->setFixedHeight(0);
    FPlace->installEventFilter(this);
    FPage->viewport()->installEventFilter(this);
    connect(FPage->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FollowPage(); });
}

TCustomTracksData *TTrackDataView::TracksData() const
{
    return static_cast<TCustomTracksData *>(Data());
}

void TTrackDataView::SetData(TMetaDataBlock *AData)
{
    TMetaDataView::SetData(AData);
    FTracksListBox->SetData(AData ? &TracksData()->TracksData() : nullptr);
}

void TTrackDataView::UpdateView()
{
    const std::uint8_t state = TracksData()->State();
    const bool hasItems = FTracksListBox->ItemsCount() > 0;
    ShowSectionState(*FExpander, state, hasItems, "EM_NoTracksFound");
    if (state == mdsLoaded && hasItems) {
        FPlace->setFixedHeight(int(FTracksListBox->TotalItemsHeight()));
        FollowPage();
    }
}

void TTrackDataView::LoadingStarted()
{
    FExpander->StartLoadingAnimation();
}

void TTrackDataView::LoadingFinished()
{
    FExpander->StopLoadingAnimation();
}

bool TTrackDataView::eventFilter(QObject *Watched, QEvent *Event)
{
    const QEvent::Type type = Event->type();
    if (type == QEvent::Resize || type == QEvent::Move || type == QEvent::Show)
        FollowPage();
    return TMetaDataView::eventFilter(Watched, Event);
}

void TTrackDataView::FollowPage()
{
    if (!FPage)
        return;
    QWidget *surface = FTracksListBox->ScrollBox();
    const int total = FPlace->height();
    const int top = FPlace->mapTo(FPage->viewport(), QPoint(0, 0)).y();
    const int height = std::min(total, std::max(FPage->viewport()->height(), FTracksListBox->ItemHeight()));
    const int y = std::clamp(-top, 0, std::max(0, total - height));
    surface->setGeometry(0, y, FPlace->width(), height);
    if (QScrollBar *bar = FTracksListBox->ScrollBar())
        bar->setValue(y);
}
