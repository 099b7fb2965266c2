#include "metadata/views/TMetaDataPageViewsUnit.h"

#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "metadata/views/TCoverImageDataViewUnit.h"
#include "metadata/views/TMetaDataContentCoverUnit.h"
#include "metadata/views/TMetaDataListViewsUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int CoverSize = 128;
constexpr int StripHeight = 96;
constexpr int PageMargin = 8;
constexpr double DimmedOpacity = 0.5;

QLabel *NewText(QWidget *Parent, const char *Name, const char *Lookup)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(QString::fromLatin1(Name));
    label->setProperty(StyleLookupProperty, QString::fromLatin1(Lookup));
    // Names and biographies come from the network.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget *NewStripSurface(TExpander *Section)
{
    auto *layout = new QVBoxLayout(Section->Content());
    layout->setContentsMargins(PageMargin, PageMargin, PageMargin, PageMargin);
    auto *surface = new QWidget(Section->Content());
    surface->setFixedHeight(StripHeight);
    layout->addWidget(surface);
    return surface;
}

} // namespace

// TMetaDataPageView

TMetaDataPageView::TMetaDataPageView(QObject *AOwner, QWidget *APage) :
      TMetaDataView(AOwner), FContentScrollBox(new QScrollArea(APage))
{
    auto *pageLayout = APage->layout() ? APage->layout() : new QVBoxLayout(APage);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(FContentScrollBox);
    FContentScrollBox->setObjectName(APage->objectName() + QStringLiteral("ContentScrollBox"));
    FContentScrollBox->setFrameShape(QFrame::NoFrame);
    FContentScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FContentScrollBox->setWidgetResizable(true);
    auto *content = new QWidget;
    FColumn = new QVBoxLayout(content);
    FColumn->setContentsMargins(PageMargin, PageMargin, PageMargin, PageMargin);
    FColumn->setSpacing(PageMargin);
    FContentScrollBox->setWidget(content);

    auto *top = new QHBoxLayout;
    top->setSpacing(PageMargin * 2);
    auto *cover = new QWidget(content);
    cover->setObjectName(QStringLiteral("CoverImagePanel"));
    cover->setFixedSize(CoverSize, CoverSize);
    top->addWidget(cover, 0, Qt::AlignTop);
    FTextColumn = new QVBoxLayout;
    FTitleLabel = NewText(content, "TitleLabel", "metadatatitlestyle");
    FTextColumn->addWidget(FTitleLabel);
    top->addLayout(FTextColumn, 1);
    FColumn->addLayout(top);
    AddDimmed(FTitleLabel);

    FCoverView = new TCoverImageDataView(this, cover);
    FContentCover = new TMetaDataContentCover(this, FContentScrollBox);
}

void TMetaDataPageView::AddDimmed(QWidget *Control)
{
    auto *effect = new QGraphicsOpacityEffect(Control);
    effect->setOpacity(1);
    Control->setGraphicsEffect(effect);
    FDimmed.push_back(effect);
}

TExpander *TMetaDataPageView::AddSection()
{
    auto *section = new TExpander(FContentScrollBox->widget());
    FColumn->addWidget(section);
    return section;
}

void TMetaDataPageView::ScrollToTop()
{
    FContentScrollBox->verticalScrollBar()->setValue(0);
}

void TMetaDataPageView::SetTextsDimmed(bool Dimmed)
{
    for (QGraphicsOpacityEffect *effect : FDimmed)
        effect->setOpacity(Dimmed ? DimmedOpacity : 1);
}

bool TMetaDataPageView::ShowFailure(std::uint8_t State, const char *NotFoundKey)
{
    const char *key = nullptr;
    if (State == mdsRequestFailed)
        key = "EM_RequestFailed";
    else if (State == mdsNotFound)
        key = NotFoundKey;
    else if (State == mdsServiceError)
        key = "EM_UnknownError";
    else
        return false;
    FContentCover->SetErrorText(MetaDataText(key));
    FContentCover->SetState(ccsError);
    return true;
}

// TArtistDataView

TArtistDataView::TArtistDataView(QObject *AOwner, QWidget *APage) :
      TMetaDataPageView(AOwner, APage), FBioText(NewText(ContentScrollBox()->widget(), "BioText", "metadatabiostyle"))
{
    TextColumn()->addWidget(FBioText, 1);
    AddDimmed(FBioText);
    FTopAlbumsExpander = AddSection();
    FTopTracksExpander = AddSection();
    FSimilarArtistsExpander = AddSection();
    Column()->addStretch(1);
    FTopAlbumsView = new TAlbumsDataView(this, NewStripSurface(FTopAlbumsExpander), FTopAlbumsExpander);
    FTopTracksView = new TTrackDataView(this, ContentScrollBox(), FTopTracksExpander);
    FSimilarArtistsView = new TArtistsDataView(this, NewStripSurface(FSimilarArtistsExpander), FSimilarArtistsExpander);
    FSimilarArtistsView->OnItemClick
        = [this](int Index) { ArtistData()->SetArtist(ArtistData()->SimilarArtistsData().getItem(Index).Name); };
}

TArtistData *TArtistDataView::ArtistData() const
{
    return static_cast<TArtistData *>(Data());
}

void TArtistDataView::SetData(TMetaDataBlock *AData)
{
    TMetaDataPageView::SetData(AData);
    TArtistData *artist = ArtistData();
    CoverView()->SetData(artist ? &artist->ImageData() : nullptr);
    FTopAlbumsView->SetData(artist ? &artist->TopAlbumsData() : nullptr);
    FTopTracksView->SetData(artist ? &artist->TopTracksData() : nullptr);
    FSimilarArtistsView->SetData(artist ? &artist->SimilarArtistsData() : nullptr);
    for (TExpander *section : {FTopAlbumsExpander, FTopTracksExpander, FSimilarArtistsExpander})
        section->SetIsExpanded(false);
    Refresh();
}

void TArtistDataView::UpdateView()
{
    const TArtistData &artist = *ArtistData();
    if (artist.State() == mdsCleared)
        ScrollToTop();
    FTopAlbumsExpander->SetText(MetaDataText("MDV_ArtistTopAlbumsExpander_Caption"));
    FTopTracksExpander->SetText(MetaDataText("MDV_ArtistTopTracksExpander_Caption"));
    FSimilarArtistsExpander->SetText(MetaDataText("MDV_ArtistSimilarArtistsExpander_Caption"));
    TitleLabel()->setText(artist.State() == mdsCleared ? QString() : artist.Artist());
    FBioText->setText(artist.State() == mdsLoaded ? artist.Bio() : QString());
    ShowFailure(artist.State(), "EM_NoArtistFound");
}

void TArtistDataView::LoadingStarted()
{
    ContentCover()->SetState(ccsLoading);
    SetTextsDimmed(true);
}

void TArtistDataView::LoadingFinished()
{
    if (ArtistData()->State() != mdsLoaded)
        return;
    ContentCover()->SetState(ccsHidden);
    SetTextsDimmed(false);
}

// TAlbumDataView

TAlbumDataView::TAlbumDataView(QObject *AOwner, QWidget *APage) : TMetaDataPageView(AOwner, APage)
{
    TextColumn()->addStretch(1);
    FTracksExpander = AddSection();
    auto *related = new QWidget(ContentScrollBox()->widget());
    related->setObjectName(QStringLiteral("RelatedAlbumsSurface"));
    related->setFixedHeight(StripHeight);
    Column()->addWidget(related);
    Column()->addStretch(1);
    FTracksView = new TTrackDataView(this, ContentScrollBox(), FTracksExpander);
    FRelatedAlbumsView = new TRelatedAlbumsDataView(this, related);
    FRelatedAlbumsView->OnItemClick = [this](int Index) {
        const TAlbumsDataItem &album = AlbumData()->RelatedAlbumsData().getItem(Index);
        AlbumData()->SetAlbum(album.Artist, album.Title);
    };
}

TAlbumData *TAlbumDataView::AlbumData() const
{
    return static_cast<TAlbumData *>(Data());
}

void TAlbumDataView::SetData(TMetaDataBlock *AData)
{
    TMetaDataPageView::SetData(AData);
    TAlbumData *album = AlbumData();
    CoverView()->SetData(album ? &album->CoverImageData() : nullptr);
    FTracksView->SetData(album ? &album->AlbumTracksData() : nullptr);
    FRelatedAlbumsView->SetData(album ? &album->RelatedAlbumsData() : nullptr);
    FTracksExpander->SetIsExpanded(false);
    Refresh();
}

void TAlbumDataView::UpdateView()
{
    const TAlbumData &album = *AlbumData();
    if (album.State() == mdsCleared)
        ScrollToTop();
    FTracksExpander->SetText(MetaDataText("MDV_AlbumTracksExpander"));
    TitleLabel()->setText(
        album.State() == mdsCleared ? QString() : album.Artist() + QStringLiteral(" - ") + album.Title());
    ShowFailure(album.State(), "EM_NoAlbumFound");
}

void TAlbumDataView::LoadingStarted()
{
    ContentCover()->SetState(ccsLoading);
    SetTextsDimmed(true);
}

void TAlbumDataView::LoadingFinished()
{
    if (AlbumData()->State() != mdsLoaded)
        return;
    ContentCover()->SetState(ccsHidden);
    SetTextsDimmed(false);
}
