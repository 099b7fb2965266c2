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

bool TCustomTracksData::IsMatched() const
{
    if (State() != mdsLoaded)
        return false;
    for (int i = 0; i < FTracksData->Count(); ++i)
        if (const auto *row = dynamic_cast<const TCompositeAudioDataItemViewData *>(FTracksData->getTrack(i)); row
            && (row->State == TCompositeAudioDataItemState::cdiPending
                || row->State == TCompositeAudioDataItemState::cdiSearching))
            return false;
    return true;
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
