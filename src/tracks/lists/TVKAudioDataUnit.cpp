#include "tracks/lists/TVKAudioDataUnit.h"

#include "tracks/records/QelmTypesUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationMyMusicManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"
#include "vkweb/TVKEmulationRequestTaskUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"

#include <QLocale>

#include <typeinfo>

namespace {

constexpr int MaxRepeats = 5;
// The page a composite row's look-up asks for.
constexpr int CompositeSearchCount = 46;

std::uint32_t NewOperationID()
{
    return static_cast<std::uint32_t>(GetInstance<TVKEmulationOperationIDGenerator>()->GetID());
}

int IntParam(const TVKEmulationRequest &Request, const QString &Name)
{
    return Request.getParam(Name).toInt();
}

QString CompositeQuery(const TCustomAudioTrackViewData &Track)
{
    return Track.Artist + QStringLiteral(" - ") + Track.Title;
}

} // namespace

// TCustomVKAudioData

TCustomVKAudioData::TCustomVKAudioData(TVKEmulationManager &AVKEmulationManager) :
      FVKEmulationManager(AVKEmulationManager),
      FTrackAddedHandler(FVKEmulationManager.MyMusicManager().OnTrackAddedEventsList().Add(
          [this](TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes) {
              TrackAddedToMyMusic(Sender, AddedTrack, AID, OwnerId, Hashes);
          }))
{
}

TCustomVKAudioData::~TCustomVKAudioData()
{
    FVKEmulationManager.MyMusicManager().OnTrackAddedEventsList().Remove(FTrackAddedHandler);
}

bool TCustomVKAudioData::IsPlayableTrack(const TCustomAudioTrackViewData &Track) const
{
    return typeid(Track) == typeid(TVKAudioTrackViewData);
}

TVKAudioPlaylistItem *TCustomVKAudioData::VKPlaylistItem(int Index) const
{
    return dynamic_cast<TVKAudioPlaylistItem *>(GetPlaylistItemByTrackIndex(Index));
}

void TCustomVKAudioData::AddToMyMusic(int Index)
{
    if (TVKAudioPlaylistItem *item = VKPlaylistItem(Index))
        FVKEmulationManager.MyMusicManager().AddToMyMusic(*item);
}

bool TCustomVKAudioData::IsTrackAddedToMyMusic(int Index) const
{
    const TVKAudioPlaylistItem *item = VKPlaylistItem(Index);
    return item && FVKEmulationManager.MyMusicManager().IsTrackAddedToMyMusic(*item);
}

int TCustomVKAudioData::IndexOfVKTrack(const std::function<bool(const TVKAudioTrackViewData &Track)> &Matches) const
{
    for (int i = 0; i < Count(); ++i) {
        const TCustomAudioTrackViewData &track = *getTrack(i);
        if (typeid(track) == typeid(TVKAudioTrackViewData)
            && Matches(static_cast<const TVKAudioTrackViewData &>(track)))
            return i;
    }
    return -1;
}

void TCustomVKAudioData::StopAnimation(int &AnimationID) const
{
    if (AnimationID != 0 && Animations.StopAnimation)
        Animations.StopAnimation(AnimationID);
    AnimationID = 0;
}

void TCustomVKAudioData::TrackAddedToMyMusic(
    TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes)
{
    (void)Sender;
    (void)AID;
    (void)OwnerId;
    (void)Hashes;
    const int index = IndexOfVKTrack([&AddedTrack](const TVKAudioTrackViewData &Track) {
        return Track.OwnerID == AddedTrack.OwnerID && Track.AID == AddedTrack.AID;
    });
    // An animation no row shows would only keep the animation timer busy.
    if (index >= 0)
        static_cast<TVKAudioTrackViewData *>(getTrack(index))->AddTrackAnimationID
            = StartAnimation(Animations.StartAddTrackAnimation);
    ItemChanged(index);
}

// TVKAudioData

TVKAudioData::TVKAudioData(TVKEmulationManager &AVKEmulationManager, int Count) :
      TCustomVKAudioData(AVKEmulationManager), FCount(Count), FOperationID(NewOperationID())
{
}

TVKAudioData::~TVKAudioData()
{
    FVKEmulationManager.RequestManager().Delete(FOperationID);
}

void TVKAudioData::NextPage()
{
    DoNextPage();
}

void TVKAudioData::DoNextPage()
{
    FOffset.RequestedValue = Count();
    Load();
}

void TVKAudioData::Refresh()
{
    DoRefresh();
}

void TVKAudioData::DoRefresh()
{
    FRefresh = TRefresh {Count(), {}};
    FOffset.RequestedValue = 0;
    SendRequest(true);
}

void TVKAudioData::Reset()
{
    ResetValues();
    Load();
}

void TVKAudioData::Retry()
{
    SendRequest(true);
}

void TVKAudioData::Load()
{
    FRefresh.reset();
    SendRequest(true);
}

bool TVKAudioData::IsRefreshGoingOn() const
{
    return FRefresh && !FRefresh->Records.isEmpty();
}

void TVKAudioData::ResetValues()
{
    FOffset = {};
}

int TVKAudioData::FindTrackByURL(const QString &AURL) const
{
    if (AURL.isEmpty())
        return -1;
    return IndexOfVKTrack([&AURL](const TVKAudioTrackViewData &Track) { return Track.URL == AURL; });
}

int TVKAudioData::IndexByAID(int OwnerID, int AID) const
{
    return IndexOfVKTrack(
        [OwnerID, AID](const TVKAudioTrackViewData &Track) { return Track.OwnerID == OwnerID && Track.AID == AID; });
}

void TVKAudioData::SendRequest(bool ResetRepeatCounter)
{
    if (ResetRepeatCounter)
        FRepeatCounter = 0;
    FVKEmulationManager.RequestManager().Add(FOperationID,
        std::make_unique<TVKEmulationRequestData>(
            CreateRequest(), nullptr, [this](TObject *Task) { RequestResult(Task); }));
}

void TVKAudioData::UpdateActualValues(const TVKEmulationRequest &Request)
{
    FOffset.ActualValue
        = IntParam(Request, QStringLiteral("count")) + IntParam(Request, QStringLiteral("offset")) - FCount;
}

void TVKAudioData::RequestResult(TObject *Task)
{
    const auto &task = SenderAs<const TVKEmulationAudioQueryRequestTask>(Task);
    if (task.GetResult()->ResultCode != 0) {
        if (++FRepeatCounter <= MaxRepeats)
            SendRequest(false);
        else if (OnLoadFailed)
            OnLoadFailed(this);
        return;
    }
    const TVKEmulationRequest &request = task.GetRequest();
    const bool updated = IsCurrentDataUpdated(request);
    UpdateActualValues(request);
    bool append = FOffset.ActualValue != 0 && IntParam(request, QStringLiteral("count")) == FCount;
    QList<TVKAudioRecord> records = task.GetResult()->AudioRecords;
    if (FRefresh) {
        FRefresh->Records += records;
        // An empty page is the end of the results: the site holds fewer now.
        if (FRefresh->Records.size() < FRefresh->Rows && !records.isEmpty()) {
            FOffset.RequestedValue = int(FRefresh->Records.size());
            SendRequest(true);
            return;
        }
        records = std::move(FRefresh->Records);
        FRefresh.reset();
        append = false;
    }
    BeginChange();
    if (!append)
        ClearTracks();
    for (const TVKAudioRecord &record : records)
        AddTrack(std::make_unique<TVKAudioTrackViewData>(record));
    EndChange(updated || append);
}

// TVKUserAudioData

TVKUserAudioData::TVKUserAudioData(TVKEmulationManager &AVKEmulationManager, int Count) :
      TVKAudioData(AVKEmulationManager, Count),
      FTrackDeletedHandler(FVKEmulationManager.MyMusicManager().OnTrackDeletedEventsList().Add(
          [this](TObject *, int ID) { TrackDeletedFromMyMusic(ID); }))
{
}

TVKUserAudioData::~TVKUserAudioData()
{
    FVKEmulationManager.MyMusicManager().OnTrackDeletedEventsList().Remove(FTrackDeletedHandler);
}

void TVKUserAudioData::LoadOwner(int Value)
{
    ResetValues();
    FOwnerID.RequestedValue = Value;
    Load();
}

void TVKUserAudioData::DeleteFromMyMusic(int Index)
{
    if (TVKAudioPlaylistItem *item = VKPlaylistItem(Index))
        FVKEmulationManager.MyMusicManager().DeleteFromMyMusic(*item);
}

std::unique_ptr<TVKEmulationRequest> TVKUserAudioData::CreateRequest()
{
    return TVKEmulationRequestFactory::ConstructAudioGetRequest(
        &FVKEmulationManager, FOwnerID.RequestedValue, FAlbumID);
}

bool TVKUserAudioData::IsCurrentDataUpdated(const TVKEmulationRequest &Request) const
{
    (void)Request;
    return true;
}

void TVKUserAudioData::UpdateActualValues(const TVKEmulationRequest &Request)
{
    FOwnerID.ActualValue = IntParam(Request, QStringLiteral("owner_id"));
}

void TVKUserAudioData::ResetValues()
{
    TVKAudioData::ResetValues();
    FOwnerID = {};
}

void TVKUserAudioData::DoNextPage()
{
}

void TVKUserAudioData::DoRefresh()
{
    Load();
}

void TVKUserAudioData::TrackAddedToMyMusic(
    TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes)
{
    (void)Sender;
    auto copy = CloneOf(AddedTrack);
    copy->AID = AID;
    copy->OwnerID = OwnerId;
    // The source's hashes would not remove the copy.
    copy->Hashes = Hashes;
    BeginChange();
    InsertTrack(0, TVKAudioTrackViewData::CreateFromPlaylistItem(*copy));
    EndChange(true);
}

void TVKUserAudioData::TrackDeletedFromMyMusic(int ID)
{
    // The removal names the AID only; the list's rows are the signed-in
    // user's, and other owners' tracks may share the AID.
    const int userID = FVKEmulationManager.UserID();
    const int index = IndexOfVKTrack(
        [userID, ID](const TVKAudioTrackViewData &Track) { return Track.OwnerID == userID && Track.AID == ID; });
    if (index < 0)
        return;
    BeginChange();
    DeleteTrack(index);
    EndChange(true);
}

// TVKSearchAudioData

TVKSearchAudioData::TVKSearchAudioData(TVKEmulationManager &AVKEmulationManager, int Count) :
      TVKAudioData(AVKEmulationManager, Count)
{
}

void TVKSearchAudioData::SetSearchString(const QString &Value)
{
    if (Value == FSearchString.ActualValue)
        return;
    FSearchString.RequestedValue = Value;
    FOffset.RequestedValue = 0;
    Load();
}

std::unique_ptr<TVKEmulationRequest> TVKSearchAudioData::CreateRequest()
{
    return TVKEmulationRequestFactory::ConstructAudioSearchRequest(
        &FVKEmulationManager, FSearchString.RequestedValue, FOffset.RequestedValue, FCount);
}

bool TVKSearchAudioData::IsCurrentDataUpdated(const TVKEmulationRequest &Request) const
{
    return Request.getParam(QStringLiteral("search_q")) == FSearchString.ActualValue;
}

void TVKSearchAudioData::UpdateActualValues(const TVKEmulationRequest &Request)
{
    TVKAudioData::UpdateActualValues(Request);
    FSearchString.ActualValue = Request.getParam(QStringLiteral("search_q"));
}

void TVKSearchAudioData::ResetValues()
{
    TVKAudioData::ResetValues();
    FSearchString = {};
}

void TVKSearchAudioData::RequestResult(TObject *Task)
{
    if (SenderAs<const TVKEmulationRequestTask>(Task).GetResult()->ResultCode == 0 && !IsRefreshGoingOn()
        && !FVKEmulationManager.CountSearchResult() && OnSearchResult)
        OnSearchResult(this);
    TVKAudioData::RequestResult(Task);
}

// TVKCompositeAudioData

TVKCompositeAudioData::TVKCompositeAudioData(TVKEmulationManager &AVKEmulationManager) :
      TCustomVKAudioData(AVKEmulationManager)
{
}

TVKCompositeAudioData::~TVKCompositeAudioData()
{
    CancelSearches();
}

void TVKCompositeAudioData::CancelSearches()
{
    for (int i = 0; i < Count(); ++i)
        if (auto *item = dynamic_cast<TCompositeAudioDataItemViewData *>(getTrack(i))) {
            FVKEmulationManager.RequestManager().Delete(item->RequestOperationID);
            StopAnimation(item->LoadingAnimationID);
        }
}

void TVKCompositeAudioData::SetTracks(const TCompositeTracksLookupData &Tracks)
{
    CancelSearches();
    BeginChange();
    ClearTracks();
    for (const TCompositeTrackLookupData &lookup : Tracks.FTracks) {
        auto item = std::make_unique<TCompositeAudioDataItemViewData>();
        item->Artist = lookup.Artist;
        item->Title = lookup.Title;
        item->AlbumName = lookup.AlbumName;
        AddTrack(std::move(item));
    }
    StartSearches();
    EndChange(false);
}

void TVKCompositeAudioData::StartSearches()
{
    for (int i = 0; i < Count(); ++i) {
        auto *item = dynamic_cast<TCompositeAudioDataItemViewData *>(getTrack(i));
        if (!item || item->State != TCompositeAudioDataItemState::cdiPending)
            continue;
        item->State = TCompositeAudioDataItemState::cdiSearching;
        const std::uint32_t operationID = NewOperationID();
        item->RequestOperationID = operationID;
        FVKEmulationManager.RequestManager().Add(operationID,
            std::make_unique<TVKEmulationRequestData>(
                TVKEmulationRequestFactory::ConstructAudioSearchRequest(
                    &FVKEmulationManager, CompositeQuery(*item), 0, CompositeSearchCount),
                nullptr, [this, operationID](TObject *Task) { SearchRequestResult(Task, operationID); }));
        item->LoadingAnimationID = StartAnimation(Animations.StartLoadingAnimation);
    }
}

void TVKCompositeAudioData::SearchRequestResult(TObject *Task, std::uint32_t OperationID)
{
    const auto &task = SenderAs<const TVKEmulationAudioQueryRequestTask>(Task);
    // The result belongs to the row that asked for it: rows with the same
    // artist and title each wait for a look-up of their own.
    int index = -1;
    TCompositeAudioDataItemViewData *item = nullptr;
    for (int i = 0; i < Count() && !item; ++i) {
        auto *row = dynamic_cast<TCompositeAudioDataItemViewData *>(getTrack(i));
        if (row && row->RequestOperationID == OperationID && row->State == TCompositeAudioDataItemState::cdiSearching) {
            index = i;
            item = row;
        }
    }
    if (!item)
        return;
    StopAnimation(item->LoadingAnimationID);
    if (task.GetResult()->ResultCode != 0) {
        item->State = TCompositeAudioDataItemState::cdiError;
        ItemChanged(index);
        return;
    }
    const QLocale locale = QLocale::system();
    const QString artist = locale.toLower(item->Artist);
    const QString title = locale.toLower(item->Title);
    BeginChange();
    bool found = false;
    for (const TVKAudioRecord &record : task.GetResult()->AudioRecords)
        if (locale.toLower(record.Artist) == artist && locale.toLower(record.Title) == title) {
            TVKAudioRecord shown = record;
            shown.Artist = item->Artist;
            shown.Title = item->Title;
            ReplaceTrack(index, std::make_unique<TVKAudioTrackViewData>(shown));
            found = true;
            break;
        }
    if (!found)
        item->State = TCompositeAudioDataItemState::cdiNotFound;
    EndChange(true);
}
