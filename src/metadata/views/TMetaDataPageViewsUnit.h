#pragma once

#include "metadata/views/TMetaDataViewUnit.h"

#include <cstdint>
#include <vector>

class QGraphicsOpacityEffect;
class QLabel;
class QScrollArea;
class QVBoxLayout;
class QWidget;
class TAlbumData;
class TArtistData;
class TCoverImageDataView;
class TExpander;
class TMetaDataContentCover;
class TRelatedAlbumsDataView;
class TTrackDataView;
class TArtistsDataView;
class TAlbumsDataView;

// What the two pages share: a scrolled page with a picture and a title at its
// top, a veil over it while it loads or when it failed, and sections below.
class TMetaDataPageView : public TMetaDataView
{
    Q_OBJECT
public:
    TMetaDataPageView(QObject *AOwner, QWidget *APage);

    QScrollArea *ContentScrollBox() const { return FContentScrollBox; }
    QLabel *TitleLabel() const { return FTitleLabel; }
    TCoverImageDataView *CoverView() const { return FCoverView; }
    TMetaDataContentCover *ContentCover() const { return FContentCover; }

protected:
    // Shows the veil for a page that failed in State; false for the others.
    bool ShowFailure(std::uint8_t State, const char *NotFoundKey);
    // The title and the texts under it dim while the page loads.
    void SetTextsDimmed(bool Dimmed);
    // A new subject is shown from its top.
    void ScrollToTop();
    TExpander *AddSection();
    void AddDimmed(QWidget *Control);
    QVBoxLayout *TextColumn() const { return FTextColumn; }
    QVBoxLayout *Column() const { return FColumn; }

private:
    QScrollArea *FContentScrollBox;
    QVBoxLayout *FColumn;
    QVBoxLayout *FTextColumn;
    QLabel *FTitleLabel;
    TCoverImageDataView *FCoverView;
    TMetaDataContentCover *FContentCover;
    std::vector<QGraphicsOpacityEffect *> FDimmed;
};

// An artist's page: picture, name, biography, top albums, top tracks and
// similar artists.
class TArtistDataView : public TMetaDataPageView
{
    Q_OBJECT
public:
    TArtistDataView(QObject *AOwner, QWidget *APage);

    TArtistData *ArtistData() const;
    void SetData(TMetaDataBlock *AData) override;
    QLabel *BioText() const { return FBioText; }
    TAlbumsDataView *TopAlbumsView() const { return FTopAlbumsView; }
    TTrackDataView *TopTracksDataView() const { return FTopTracksView; }
    TArtistsDataView *SimilarArtistsView() const { return FSimilarArtistsView; }

protected:
    void UpdateView() override;
    void LoadingStarted() override;
    void LoadingFinished() override;

private:
    QLabel *FBioText;
    TExpander *FTopAlbumsExpander;
    TExpander *FTopTracksExpander;
    TExpander *FSimilarArtistsExpander;
    TAlbumsDataView *FTopAlbumsView;
    TTrackDataView *FTopTracksView;
    TArtistsDataView *FSimilarArtistsView;
};

// An album's page: cover, artist and title, the track listing and the
// artist's other albums.
class TAlbumDataView : public TMetaDataPageView
{
    Q_OBJECT
public:
    TAlbumDataView(QObject *AOwner, QWidget *APage);

    TAlbumData *AlbumData() const;
    void SetData(TMetaDataBlock *AData) override;
    TTrackDataView *TracksDataView() const { return FTracksView; }
    TRelatedAlbumsDataView *RelatedAlbumsView() const { return FRelatedAlbumsView; }

protected:
    void UpdateView() override;
    void LoadingStarted() override;
    void LoadingFinished() override;

private:
    TExpander *FTracksExpander;
    TTrackDataView *FTracksView;
    TRelatedAlbumsDataView *FRelatedAlbumsView;
};
