#include "metadata/pages/TArtistsDataUnit.h"

TCustomArtistsData::TCustomArtistsData(TLastFMAPIRequestManager &ALastFMRequestManager) :
      FRequests(ALastFMRequestManager)
{
}

std::unique_ptr<TImageMetaDataBlockItem> TCustomArtistsData::CreateItem() const
{
    return std::make_unique<TArtistsDataItem>();
}

void TCustomArtistsData::FillArtists(const TLastFMArtistsRecord &Artists)
{
    FillItems(Artists.Count(), [&](int Index) -> const TLastFMImagesRecord & {
        const TLastFMArtistRecord &artist = Artists.Item(Index);
        getItem(Index).Name = artist.Name;
        return artist.Images;
    });
}

void TSimilarArtistsData::SetData(const TLastFMArtistsRecord &Artists)
{
    FillArtists(Artists);
    SetState(mdsLoaded);
}

TSearchArtistsData::TSearchArtistsData(int ACount, TLastFMAPIRequestManager &ALastFMRequestManager) :
      TCustomArtistsData(ALastFMRequestManager), FCount(ACount)
{
}

void TSearchArtistsData::SetQuery(const QString &Value)
{
    if (Value != FQuery || IsFailed()) {
        FQuery = Value;
        SetState(mdsLoading);
        FRequests.Send<TLastFMArtistSearchRequestInvoker>(
            TLastFMAPIRequestFactory::ConstructArtistSearchRequest(LastFMAPIKey, FQuery, FCount, 1),
            [this](const TLastFMArtistSearchRequestInvoker &Invoker) {
                ShowSearchAnswer(Invoker, [&] { FillArtists(Invoker.GetAPIResult()->Artists); });
            });
    }
    DoDataParamsChanged();
}
