#include "metadata/pages/TArtistDataUnit.h"

#include "localization/TQelmLocalizationUnit.h"

namespace {

// The biography's language: the active localization's, English without one.
QString BioLanguage()
{
    return LocalizationManager ? LocalizationManager->GetActiveLocalizationISOCode() : QStringLiteral("en");
}

} // namespace

TArtistData::TArtistData(TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager) :
      FTopAlbumsData(TopAlbumsCount, ALastFMRequestManager), FTopTracksData(AVKEmulationManager, ALastFMRequestManager),
      FSimilarArtistsData(ALastFMRequestManager), FRequests(ALastFMRequestManager)
{
}

void TArtistData::SetArtist(const QString &Value)
{
    if (Value != FArtist || IsFailed()) {
        FArtist = Value;
        SetState(mdsCleared);
        SetState(mdsLoading);
        FSimilarArtistsData.SetState(mdsLoading);
        FRequests.Send<TLastFMArtistGetInfoRequestInvoker>(
            TLastFMAPIRequestFactory::ConstructArtistGetInfoRequest(LastFMAPIKey, FArtist, false, BioLanguage()),
            [this](const TLastFMArtistGetInfoRequestInvoker &Invoker) { ArtistInfoReceived(Invoker); });
        FTopAlbumsData.SetArtist(Value);
        FTopTracksData.SetArtist(Value);
    }
    DoDataParamsChanged();
}

void TArtistData::ArtistInfoReceived(const TLastFMArtistGetInfoRequestInvoker &Invoker)
{
    const TLastFMAnswer answer = LastFMAnswerOf(Invoker);
    if (answer != TLastFMAnswer::laLoaded) {
        FImageData.Clear();
        FSimilarArtistsData.SetState(answer == TLastFMAnswer::laRequestFailed ? mdsRequestFailed : mdsServiceError);
        SetState(FailedAnswerState(answer, mdsNotFound));
        return;
    }
    const TLastFMArtistGetInfoResponseParserResult &info = *Invoker.GetAPIResult();
    FImageData.SetLastFMImagesData(info.Images);
    FSimilarArtistsData.SetData(info.SimilarArtists);
    FBio = info.Bio;
    SetState(mdsLoaded);
}
