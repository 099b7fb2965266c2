#include "metadata/pages/TAlbumsDataUnit.h"

TCustomAlbumsData::TCustomAlbumsData(TLastFMAPIRequestManager &ALastFMRequestManager) : FRequests(ALastFMRequestManager)
{
}

std::unique_ptr<TImageMetaDataBlockItem> TCustomAlbumsData::CreateItem() const
{
    return std::make_unique<TAlbumsDataItem>();
}

void TCustomAlbumsData::FillAlbums(const TLastFMAlbumsRecord &Albums)
{
    FillItems(Albums.Count(), [&](int Index) -> const TLastFMImagesRecord & {
        const TLastFMAlbumRecord &album = Albums.Item(Index);
        TAlbumsDataItem &item = getItem(Index);
        item.Artist = album.Artist;
        item.Title = album.Title;
        return album.CoverImages;
    });
}

TCustomTopArtistAlbumsData::TCustomTopArtistAlbumsData(
    int ADesiredCount, TLastFMAPIRequestManager &ALastFMRequestManager) :
      TCustomAlbumsData(ALastFMRequestManager),
      FDesiredCount(ADesiredCount)
{
}

void TCustomTopArtistAlbumsData::RequestTopAlbums(const QString &Artist, int Count)
{
    SetState(mdsLoading);
    FRequests.Send<TLastFMArtistGetTopAlbumsRequestInvoker>(
        TLastFMAPIRequestFactory::ConstructArtistGetTopAlbumsRequest(LastFMAPIKey, Artist, false, Count),
        [this](const TLastFMArtistGetTopAlbumsRequestInvoker &Invoker) { TopAlbumsReceived(Invoker); });
}

void TCustomTopArtistAlbumsData::TopAlbumsReceived(const TLastFMArtistGetTopAlbumsRequestInvoker &Invoker)
{
    const TLastFMAnswer answer = LastFMAnswerOf(Invoker);
    if (answer != TLastFMAnswer::laLoaded) {
        SetState(FailedAnswerState(answer, mdsServiceError));
        return;
    }
    ShowTopAlbums(Invoker.GetAPIResult()->Albums);
}

void TCustomTopArtistAlbumsData::ShowTopAlbums(const TLastFMAlbumsRecord &Albums)
{
    FillAlbums(Albums);
    SetState(mdsLoaded);
}

void TTopArtistAlbumsData::SetArtist(const QString &Value)
{
    if (Value == FArtist && !IsFailed())
        return;
    FArtist = Value;
    RequestTopAlbums(FArtist, FDesiredCount);
}

void TRelatedAlbumsData::SetAlbum(const QString &Artist, const QString &Title)
{
    if (Artist == FArtist && Title == FTitle && !IsFailed())
        return;
    FArtist = Artist;
    FTitle = Title;
    RequestTopAlbums(FArtist, FDesiredCount + 1);
}

void TRelatedAlbumsData::Clear()
{
    FRequests.Cancel();
    FArtist.clear();
    FTitle.clear();
    SetState(mdsCleared);
}

void TRelatedAlbumsData::TopAlbumsReceived(const TLastFMArtistGetTopAlbumsRequestInvoker &Invoker)
{
    if (LastFMAnswerOf(Invoker) != TLastFMAnswer::laLoaded) {
        TCustomTopArtistAlbumsData::TopAlbumsReceived(Invoker);
        return;
    }
    TLastFMAlbumsRecord albums = Invoker.GetAPIResult()->Albums;
    for (int i = 0; i < albums.Count(); ++i)
        if (albums.Item(i).Title == FTitle) {
            albums.Delete(i);
            break;
        }
    ShowTopAlbums(albums);
    if (albums.Count() == 0)
        SetState(mdsEmptyResult);
}

TSearchAlbumsData::TSearchAlbumsData(int ACount, TLastFMAPIRequestManager &ALastFMRequestManager) :
      TCustomAlbumsData(ALastFMRequestManager), FCount(ACount)
{
}

void TSearchAlbumsData::SetQuery(const QString &Value)
{
    if (Value != FQuery || IsFailed()) {
        FQuery = Value;
        SetState(mdsLoading);
        FRequests.Send<TLastFMAlbumSearchRequestInvoker>(
            TLastFMAPIRequestFactory::ConstructAlbumSearchRequest(LastFMAPIKey, FQuery, FCount, 1),
            [this](const TLastFMAlbumSearchRequestInvoker &Invoker) {
                ShowSearchAnswer(Invoker, [&] { FillAlbums(Invoker.GetAPIResult()->Albums); });
            });
    }
    DoDataParamsChanged();
}
