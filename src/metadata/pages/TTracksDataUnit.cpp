#include "metadata/pages/TTracksDataUnit.h"

#include "tracks/lists/TVKAudioDataUnit.h"

TCustomTracksData::TCustomTracksData(
    TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager) :
      FRequests(ALastFMRequestManager),
      FTracksData(std::make_unique<TVKCompositeAudioData>(AVKEmulationManager))
{
}

TCustomTracksData::~TCustomTracksData() = default;

void TCustomTracksData::SetTracks(const TCompositeTracksLookupData &Tracks)
{
    FTracksData->SetTracks(Tracks);
    SetState(mdsLoaded);
}

void TTopArtistTracksData::SetArtist(const QString &Value)
{
    if (Value == FArtist && !IsFailed())
        return;
    FArtist = Value;
    SetState(mdsLoading);
    FRequests.Send<TLastFMArtistGetTopTracksRequestInvoker>(
        TLastFMAPIRequestFactory::ConstructArtistGetTopTracksRequest(LastFMAPIKey, FArtist, false, TopTracksCount),
        [this](const TLastFMArtistGetTopTracksRequestInvoker &Invoker) {
            const TLastFMAnswer answer = LastFMAnswerOf(Invoker);
            if (answer != TLastFMAnswer::laLoaded) {
                SetState(FailedAnswerState(answer, mdsServiceError));
                return;
            }
            SetTracks(TCompositeTracksLookupData::CreateFromLastFMTracksRecord(Invoker.GetAPIResult()->Tracks, {}));
        });
}
