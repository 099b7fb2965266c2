#include "metadata/views/TMetaDataViewsManagerUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "metadata/views/TLastFMSearchListBoxUnit.h"
#include "metadata/views/TMetaDataListViewsUnit.h"
#include "metadata/views/TMetaDataNavigateTagsUnit.h"
#include "metadata/views/TMetaDataPageViewsUnit.h"
#include "metadata/views/TMetaDataViewUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QStackedWidget>

#include <algorithm>
#include <iterator>

namespace {

// A search page's list surface with its scroll bar beside it.
std::pair<QWidget *, QScrollBar *> NewListPlace(QWidget *Page)
{
    auto *layout = new QHBoxLayout(Page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *surface = new QWidget(Page);
    surface->setObjectName(Page->objectName() + QStringLiteral("ListBoxSurface"));
    surface->setAttribute(Qt::WA_StyledBackground);
    surface->setProperty(StyleLookupProperty, QStringLiteral("listsurfacestyle"));
    auto *scrollBar = new QScrollBar(Qt::Vertical, Page);
    layout->addWidget(surface, 1);
    layout->addWidget(scrollBar);
    return {surface, scrollBar};
}

} // namespace

TMetaDataViewsManager::TMetaDataViewsManager(QObject *AOwner, const TMetaDataViewsSeam &ASeam,
    TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager,
    TGetTrackStateRequestProc AGetTrackStateRequestProc, TSaveTrackRequestProc ASaveTrackRequestProc) :
      QObject(AOwner),
      FSeam(ASeam), FArtistSearchData(std::make_unique<TSearchArtistsData>(SearchPageSize, ALastFMRequestManager)),
      FAlbumSearchData(std::make_unique<TSearchAlbumsData>(SearchPageSize, ALastFMRequestManager)),
      FArtistData(std::make_unique<TArtistData>(AVKEmulationManager, ALastFMRequestManager)),
      FAlbumData(std::make_unique<TAlbumData>(AVKEmulationManager, ALastFMRequestManager)),
      FNavigateTagsPanel(new TMetaDataNavigateTagsPanelWrapper(this, ASeam.NavigateTagsRectangle))
{
    const auto [artistSurface, artistScrollBar] = NewListPlace(ASeam.ArtistSearchPage);
    FArtistSearchListBox = new TLastFMArtistSearchListBox(this, artistScrollBar, artistSurface);
    FArtistSearchListBox->SetData(FArtistSearchData.get());
    FArtistSearchListBox->OnItemClick
        = [this](int Index) { FArtistData->SetArtist(FArtistSearchData->getItem(Index).Name); };
    const auto [albumSurface, albumScrollBar] = NewListPlace(ASeam.AlbumSearchPage);
    FAlbumSearchListBox = new TLastFMAlbumSearchListBox(this, albumScrollBar, albumSurface);
    FAlbumSearchListBox->SetData(FAlbumSearchData.get());
    FAlbumSearchListBox->OnItemClick = [this](int Index) {
        const TAlbumsDataItem &album = FAlbumSearchData->getItem(Index);
        FAlbumData->SetAlbum(album.Artist, album.Title);
    };

    FArtistDataView = new TArtistDataView(this, ASeam.ArtistPage);
    FArtistDataView->SetData(FArtistData.get());
    FArtistDataView->TopAlbumsView()->OnItemClick = [this](int Index) {
        FAlbumData->SetAlbum(FArtistData->Artist(), FArtistData->TopAlbumsData().getItem(Index).Title);
    };
    FAlbumDataView = new TAlbumDataView(this, ASeam.AlbumPage);
    FAlbumDataView->SetData(FAlbumData.get());
    for (TTrackDataView *tracks : {FArtistDataView->TopTracksDataView(), FAlbumDataView->TracksDataView()}) {
        tracks->TracksListBox()->SetGetTrackStateRequestProc(AGetTrackStateRequestProc);
        tracks->TracksListBox()->SetSaveTrackRequestProc(ASaveTrackRequestProc);
    }

    for (TMetaDataBlock *block : std::initializer_list<TMetaDataBlock *> {
             FArtistSearchData.get(), FAlbumSearchData.get(), FArtistData.get(), FAlbumData.get()})
        block->OnDataParamsChanged = [this](TObject *Sender) { DataParamsChanged(Sender); };
    FArtistSearchData->SetState(mdsCleared);
    FAlbumSearchData->SetState(mdsCleared);

    FNavigateTagsPanel->OnTagClick = [this](TNavigateTagType TagType) { TagClick(TagType); };
    FNavigateTagsPanel->OnTagClose = [this](TNavigateTagType TagType) { TagClose(TagType); };
}

TMetaDataViewsManager::~TMetaDataViewsManager()
{
    // The views let go of the blocks, which go with this object's members.
    delete FArtistSearchListBox;
    delete FAlbumSearchListBox;
    delete FArtistDataView;
    delete FAlbumDataView;
}

void TMetaDataViewsManager::SetSearchQuery(const QString &Value)
{
    if (Value == FSearchQuery)
        return;
    FSearchQuery = Value;
    if (FMode == mmArtistSearch)
        FArtistSearchData->SetQuery(FSearchQuery);
    else if (FMode == mmAlbumSearch)
        FAlbumSearchData->SetQuery(FSearchQuery);
}

void TMetaDataViewsManager::SwitchToArtistSearchTab()
{
    FMode = mmArtistSearch;
    FArtistSearchData->SetQuery(FSearchQuery);
}

void TMetaDataViewsManager::SwitchToAlbumSearchTab()
{
    FMode = mmAlbumSearch;
    FAlbumSearchData->SetQuery(FSearchQuery);
}

void TMetaDataViewsManager::SetArtist(const QString &Value)
{
    FArtistData->SetArtist(Value);
}

TTrackDataView *TMetaDataViewsManager::CurrentTracksView() const
{
    if (FActiveTab == atArtist)
        return FArtistDataView->TopTracksDataView();
    if (FActiveTab == atAlbum)
        return FAlbumDataView->TracksDataView();
    return nullptr;
}

void TMetaDataViewsManager::RepaintCurrentPageTrackItemByID(int AID)
{
    if (TTrackDataView *tracks = CurrentTracksView())
        tracks->TracksListBox()->RepaintItemByAID(AID);
}

void TMetaDataViewsManager::RepaintCurrentPageTracksActualItems()
{
    if (TTrackDataView *tracks = CurrentTracksView())
        tracks->TracksListBox()->RepaintActualItems();
}

TAudioPlaylist *TMetaDataViewsManager::CurrentPagePlaylist() const
{
    TTrackDataView *tracks = CurrentTracksView();
    return tracks && tracks->TracksData() ? tracks->TracksData()->TracksData().Playlist() : nullptr;
}

void TMetaDataViewsManager::DataParamsChanged(TObject *Sender)
{
    const std::pair<TObject *, TMetaDataTabControlActiveTab> pages[] = {{FArtistSearchData.get(), atArtistSearch},
        {FAlbumSearchData.get(), atAlbumSearch}, {FArtistData.get(), atArtist}, {FAlbumData.get(), atAlbum}};
    const auto page
        = std::find_if(std::begin(pages), std::end(pages), [&](const auto &P) { return P.first == Sender; });
    if (page == std::end(pages))
        return;
    if (page->second != FActiveTab) {
        FActiveTab = page->second;
        QWidget *const widgets[]
            = {FSeam.ArtistSearchPage, nullptr, FSeam.AlbumSearchPage, FSeam.ArtistPage, FSeam.AlbumPage};
        FSeam.TabControl->setCurrentWidget(widgets[FActiveTab]);
        RepaintCurrentPageTracksActualItems();
    }
    RefreshTags();
}

void TMetaDataViewsManager::RefreshTags()
{
    TMetaDataNavigateTagWrapper &artist = *FNavigateTagsPanel->ArtistTag();
    TMetaDataNavigateTagWrapper &album = *FNavigateTagsPanel->AlbumTag();
    switch (FActiveTab) {
    case atArtistSearch:
    case atAlbumSearch:
        artist.SetText(QString());
        album.SetText(QString());
        break;
    case atArtist:
        artist.SetText(FArtistData->Artist());
        album.SetText(QString());
        artist.SetHint(QString());
        artist.SetCloseButtonHint(MetaDataText("NTH_BackToSearch"));
        break;
    case atAlbum:
        artist.SetText(FAlbumData->Artist());
        album.SetText(FAlbumData->Title());
        artist.SetHint(MetaDataText("NTH_GoToArtist"));
        artist.SetCloseButtonHint(MetaDataText("NTH_BackToSearch"));
        album.SetHint(QString());
        album.SetCloseButtonHint(MetaDataText("NTH_CloseAlbumGoToArtist"));
        break;
    case atNone:
        return;
    }
    FNavigateTagsPanel->Arrange();
}

void TMetaDataViewsManager::TagClick(int TagType)
{
    if (TagType == nttArtist)
        FArtistData->SetArtist(FNavigateTagsPanel->ArtistTag()->Text());
}

void TMetaDataViewsManager::TagClose(int TagType)
{
    if (TagType == nttArtist) {
        // The same query again only brings its page back.
        if (FMode == mmArtistSearch)
            FArtistSearchData->SetQuery(FArtistSearchData->Query());
        else
            FAlbumSearchData->SetQuery(FAlbumSearchData->Query());
    } else if (TagType == nttAlbum)
        FArtistData->SetArtist(FNavigateTagsPanel->ArtistTag()->Text());
}

bool TMetaDataViewsManager::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED)
        RefreshTags();
    return QObject::event(Event);
}
