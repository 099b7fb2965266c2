#include "vkweb/TVKEmulationMyMusicManagerUnit.h"

#include "playback/TAudioPlaylistUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"
#include "vkweb/TVKEmulationRequestTaskUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"

namespace {

std::uint32_t NewOperationID()
{
    return static_cast<std::uint32_t>(GetInstance<TVKEmulationOperationIDGenerator>()->GetID());
}

} // namespace

TVKEmulationMyMusicManager::TVKEmulationMyMusicManager(TVKEmulationManager &AEmulationManager) :
      FEmulationManager(AEmulationManager)
{
}

void TVKEmulationMyMusicManager::AddToMyMusic(const TVKAudioPlaylistItem &Track)
{
    const TTrackKey key(Track.OwnerID, Track.AID);
    if (FAddingToMyMusicAIDsList.contains(key) || FAddedToMyMusicAIDsList.contains(key))
        return;
    auto clone = std::make_unique<TVKAudioPlaylistItem>(static_cast<const TCloneable &>(Track));
    FEmulationManager.RequestManager().Add(NewOperationID(),
        std::make_unique<TVKEmulationRequestData>(
            TVKEmulationRequestFactory::ConstructMyMusicAddRequest(&FEmulationManager, std::move(clone)), nullptr,
            [this](TObject *Sender) { DoTrackAdded(Sender); }));
    FAddingToMyMusicAIDsList.append(key);
}

void TVKEmulationMyMusicManager::DeleteFromMyMusic(const TVKAudioPlaylistItem &Track)
{
    const TTrackKey key(Track.OwnerID, Track.AID);
    if (FDeletingFromMyMusicAIDsList.contains(key))
        return;
    FEmulationManager.RequestManager().Add(NewOperationID(),
        std::make_unique<TVKEmulationRequestData>(TVKEmulationRequestFactory::ConstructMyMusicDeleteRequest(
                                                      &FEmulationManager, Track.OwnerID, Track.AID, Track.Hashes),
            nullptr, [this](TObject *Sender) { DoTrackDeleted(Sender); }));
    FDeletingFromMyMusicAIDsList.append(key);
}

bool TVKEmulationMyMusicManager::IsTrackAddedToMyMusic(const TCustomVKAudioPlaylistItem &Track) const
{
    return Track.OwnerID == 0 || FAddedToMyMusicAIDsList.contains(TTrackKey(Track.OwnerID, Track.AID));
}

void TVKEmulationMyMusicManager::Reset()
{
    FAddedToMyMusicAIDsList.clear();
    FAddingToMyMusicAIDsList.clear();
    FDeletingFromMyMusicAIDsList.clear();
}

void TVKEmulationMyMusicManager::DoTrackAdded(TObject *Sender)
{
    const auto *task = static_cast<TVKEmulationMyMusicAddRequestTask *>(Sender);
    const TVKAudioPlaylistItem &track = task->GetRequest().Track();
    const TTrackKey key(track.OwnerID, track.AID);
    if (task->GetResult()->ResultCode == 0) {
        FAddedToMyMusicAIDsList.append(key);
        const TVKAudioRecord &added = task->GetResult()->AddedAudioRecord;
        FOnTrackAddedEventsList.InvokeEvents(this, track, added.AID, added.OwnerID, added.Hashes);
    }
    FAddingToMyMusicAIDsList.removeAll(key);
}

void TVKEmulationMyMusicManager::DoTrackDeleted(TObject *Sender)
{
    const auto *task = static_cast<TVKEmulationRequestTask *>(Sender);
    const TVKEmulationRequest &request = task->GetRequest();
    const int aid = request.getParam(QStringLiteral("aid")).toInt();
    if (task->GetResult()->ResultCode == 0)
        FOnTrackDeletedEventsList.InvokeEvents(this, aid);
    FDeletingFromMyMusicAIDsList.removeAll(TTrackKey(request.getParam(QStringLiteral("owner_id")).toInt(), aid));
}
