#include "metadata/pages/TAlbumDataUnit.h"

#include "tracks/lists/TAudioDataUnit.h"

TAlbumData::TAlbumData(TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager) :
      FRelatedAlbumsData(RelatedAlbumsCount, ALastFMRequestManager),
      FAlbumTracksData(AVKEmulationManager, ALastFMRequestManager), FRequests(ALastFMRequestManager)
{
}

void TAlbumData::SetAlbum(const QString &Artist, const QString &Title)
{
    if (Artist != FArtist || Title != FTitle || IsFailed()) {
        FArtist = Artist;
        FTitle = Title;
        SetState(mdsCleared);
        SetState(mdsLoading);
        FAlbumTracksData.SetState(mdsLoading);
        // The other albums are asked for once the album is known.
        FRequests.Send<TLastFMAlbumGetInfoRequestInvoker>(
            TLastFMAPIRequestFactory::ConstructAlbumGetInfoRequest(LastFMAPIKey, FArtist, FTitle, false),
            [this](const TLastFMAlbumGetInfoRequestInvoker &Invoker) { AlbumInfoReceived(Invoker); });
    }
    DoDataParamsChanged();
}

void TAlbumData::AlbumInfoReceived(const TLastFMAlbumGetInfoRequestInvoker &Invoker)
{
    const TLastFMAnswer answer = LastFMAnswerOf(Invoker);
    if (answer != TLastFMAnswer::laLoaded) {
        FCoverImageData.Clear();
        FRelatedAlbumsData.Clear();
        // The track listing ends too, as a service error when the service
        // refused: left loading, it would spin for ever.
        FAlbumTracksData.SetState(answer == TLastFMAnswer::laRequestFailed ? mdsRequestFailed : mdsServiceError);
        SetState(FailedAnswerState(answer, mdsNotFound));
        return;
    }
    const TLastFMAlbumGetInfoResponseParserResult &album = *Invoker.GetAPIResult();
    FCoverImageData.SetLastFMImagesData(album.CoverImages);
    FRelatedAlbumsData.SetAlbum(FArtist, FTitle);
    FAlbumTracksData.SetTracks(TCompositeTracksLookupData::CreateFromLastFMTracksRecord(album.Tracks, album.Title));
    SetState(mdsLoaded);
}
