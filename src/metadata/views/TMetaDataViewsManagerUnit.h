#pragma once

#include "foundation/BaseTypesUnit.h"
#include "ui/tracklists/TQelmListBoxItemUnit.h"

#include <QObject>
#include <QString>

#include <memory>

class QStackedWidget;
class QWidget;
class TAlbumData;
class TAlbumDataView;
class TArtistData;
class TArtistDataView;
class TAudioPlaylist;
class TLastFMAlbumSearchListBox;
class TLastFMAPIRequestManager;
class TLastFMArtistSearchListBox;
class TMetaDataNavigateTagsPanelWrapper;
class TSearchAlbumsData;
class TSearchArtistsData;
class TTrackDataView;
class TVKEmulationManager;

enum TMetaDataTabControlActiveTab { atArtistSearch, atNone, atAlbumSearch, atArtist, atAlbum };
enum TMetaDataViewsManagerMode { mmInactive, mmArtistSearch, mmAlbumSearch };

// The empty places of the main window that the metadata views fill.
struct TMetaDataViewsSeam
{
    QWidget *NavigateTagsRectangle;
    QStackedWidget *TabControl;
    QWidget *ArtistSearchPage;
    QWidget *AlbumSearchPage;
    QWidget *ArtistPage;
    QWidget *AlbumPage;
};

// The artist and album searches, the artist and album pages, and the moves
// between them: every time a block is given a subject (a new one or the
// same), the page that shows it comes up and the tag strip follows.
// The clients must outlive it.
class TMetaDataViewsManager : public QObject
{
    Q_OBJECT
public:
    // Rows of the searches and tracks of the pages per page of answers.
    static constexpr int SearchPageSize = 30;

    TMetaDataViewsManager(QObject *AOwner, const TMetaDataViewsSeam &ASeam, TVKEmulationManager &AVKEmulationManager,
        TLastFMAPIRequestManager &ALastFMRequestManager, TGetTrackStateRequestProc AGetTrackStateRequestProc,
        TSaveTrackRequestProc ASaveTrackRequestProc);
    ~TMetaDataViewsManager() override;

    TMetaDataTabControlActiveTab ActiveTab() const { return FActiveTab; }
    TMetaDataViewsManagerMode Mode() const { return FMode; }
    const QString &SearchQuery() const { return FSearchQuery; }
    // In a search mode, runs that search and shows it.
    void SetSearchQuery(const QString &Value);
    void SwitchToArtistSearchTab();
    void SwitchToAlbumSearchTab();
    void SetArtist(const QString &Value);

    void RepaintCurrentPageTrackItemByID(int AID);
    void RepaintCurrentPageTracksActualItems();
    // The tracks of the artist or album page on screen, or null on a search page.
    TAudioPlaylist *CurrentPagePlaylist() const;

    TSearchArtistsData &ArtistSearchData() const { return *FArtistSearchData; }
    TSearchAlbumsData &AlbumSearchData() const { return *FAlbumSearchData; }
    TArtistData &ArtistData() const { return *FArtistData; }
    TAlbumData &AlbumData() const { return *FAlbumData; }
    TLastFMArtistSearchListBox *ArtistSearchListBox() const { return FArtistSearchListBox; }
    TLastFMAlbumSearchListBox *AlbumSearchListBox() const { return FAlbumSearchListBox; }
    TArtistDataView *ArtistDataView() const { return FArtistDataView; }
    TAlbumDataView *AlbumDataView() const { return FAlbumDataView; }
    TMetaDataNavigateTagsPanelWrapper *NavigateTagsPanel() const { return FNavigateTagsPanel; }

protected:
    bool event(QEvent *Event) override;

private:
    void DataParamsChanged(TObject *Sender);
    void RefreshTags();
    void TagClick(int TagType);
    void TagClose(int TagType);
    // The track view of the page on screen, or null.
    TTrackDataView *CurrentTracksView() const;

    TMetaDataViewsSeam FSeam;
    TMetaDataTabControlActiveTab FActiveTab = atNone;
    TMetaDataViewsManagerMode FMode = mmInactive;
    QString FSearchQuery;
    std::unique_ptr<TSearchArtistsData> FArtistSearchData;
    std::unique_ptr<TSearchAlbumsData> FAlbumSearchData;
    std::unique_ptr<TArtistData> FArtistData;
    std::unique_ptr<TAlbumData> FAlbumData;
    TMetaDataNavigateTagsPanelWrapper *FNavigateTagsPanel;
    TLastFMArtistSearchListBox *FArtistSearchListBox;
    TLastFMAlbumSearchListBox *FAlbumSearchListBox;
    TArtistDataView *FArtistDataView;
    TAlbumDataView *FAlbumDataView;
};
