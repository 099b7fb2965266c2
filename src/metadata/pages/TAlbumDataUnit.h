#pragma once

#include "metadata/pages/TAlbumsDataUnit.h"
#include "metadata/pages/TCoverImageDataUnit.h"
#include "metadata/pages/TTracksDataUnit.h"

#include <QString>

class TVKEmulationManager;

// An album page: cover and tracks from the album's information, and then the
// artist's other albums.
class TAlbumData : public TMetaDataBlock
{
public:
    // How many other albums the page shows.
    static constexpr int RelatedAlbumsCount = 5;

    TAlbumData(TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager);

    const QString &Artist() const { return FArtist; }
    const QString &Title() const { return FTitle; }
    // Loads the page of a new album, or of the same one after a failure;
    // either way announces the page (OnDataParamsChanged), so the current
    // album is shown again without a request.
    void SetAlbum(const QString &Artist, const QString &Title);

    TCoverImageData &CoverImageData() { return FCoverImageData; }
    TRelatedAlbumsData &RelatedAlbumsData() { return FRelatedAlbumsData; }
    TCustomTracksData &AlbumTracksData() { return FAlbumTracksData; }

private:
    void AlbumInfoReceived(const TLastFMAlbumGetInfoRequestInvoker &Invoker);

    TCoverImageData FCoverImageData;
    TRelatedAlbumsData FRelatedAlbumsData;
    TCustomTracksData FAlbumTracksData;
    QString FArtist;
    QString FTitle;
    // Last, so that its answers stop before the sub-blocks go.
    TLastFMBlockRequests FRequests;
};
