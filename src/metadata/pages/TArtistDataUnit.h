#pragma once

#include "metadata/pages/TAlbumsDataUnit.h"
#include "metadata/pages/TArtistsDataUnit.h"
#include "metadata/pages/TCoverImageDataUnit.h"
#include "metadata/pages/TTracksDataUnit.h"

#include <QString>

class TVKEmulationManager;

// An artist page: picture, biography and similar artists from the artist's
// information, and the top albums and top tracks, each block loading on its
// own.
class TArtistData : public TMetaDataBlock
{
public:
    // How many top albums the page shows.
    static constexpr int TopAlbumsCount = 5;

    TArtistData(TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager);

    const QString &Artist() const { return FArtist; }
    // Loads the page of a new artist, or of the same one after a failure;
    // either way announces the page (OnDataParamsChanged), so the current
    // artist is shown again without a request.
    void SetArtist(const QString &Value);

    TCoverImageData &ImageData() { return FImageData; }
    TTopArtistAlbumsData &TopAlbumsData() { return FTopAlbumsData; }
    TTopArtistTracksData &TopTracksData() { return FTopTracksData; }
    TSimilarArtistsData &SimilarArtistsData() { return FSimilarArtistsData; }
    // Plain text.
    const QString &Bio() const { return FBio; }

private:
    void ArtistInfoReceived(const TLastFMArtistGetInfoRequestInvoker &Invoker);

    TCoverImageData FImageData;
    TTopArtistAlbumsData FTopAlbumsData;
    TTopArtistTracksData FTopTracksData;
    TSimilarArtistsData FSimilarArtistsData;
    QString FBio;
    QString FArtist;
    // Last, so that its answers stop before the sub-blocks go.
    TLastFMBlockRequests FRequests;
};
