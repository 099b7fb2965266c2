#include "vkweb/TVKEmulationRequestTaskUnit.h"

#include "foundation/BaseTypesUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include <QUrl>

namespace {

TCookieManager &Jar(const TVKEmulationRequest &Request)
{
    if (!Request.Session().CookieManager)
        throw Exception(QStringLiteral("The request has no session"));
    return *Request.Session().CookieManager;
}

int IntParam(const TVKEmulationRequest &Request, const QString &Name)
{
    bool ok = false;
    const int value = Request.getParam(Name).toInt(&ok, 10);
    if (!ok)
        throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(Request.getParam(Name)));
    return value;
}

QList<TVKAudioRecord> ParseNonEmpty(const QString &Text)
{
    if (Text.isEmpty())
        throw Exception(QStringLiteral("Empty answer"));
    return ParseAudioList(Text);
}

bool IsPlayableURL(const QString &URL)
{
    const QUrl url(URL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

} // namespace

TVKEmulationRequestTask::TVKEmulationRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest) :
      FRequest(std::move(ARequest)), FResult(std::make_unique<TVKEmulationRequestResult>())
{
}

TVKEmulationRequestTask::~TVKEmulationRequestTask() = default;

std::unique_ptr<TVKEmulationRequestTask> TVKEmulationRequestTask::Create(std::unique_ptr<TVKEmulationRequest> ARequest)
{
    switch (ARequest->Kind()) {
    case TVKEmulationRequestKind::verkAudioSearch:
        return std::make_unique<TVKEmulationAudioSearchRequestTask>(std::move(ARequest));
    case TVKEmulationRequestKind::verkAudioGet:
        return std::make_unique<TVKEmulationAudioGetRequestTask>(std::move(ARequest));
    case TVKEmulationRequestKind::verkAudioGetURL:
        return std::make_unique<TVKEmulationAudioURLGetterRequestTask>(std::move(ARequest));
    case TVKEmulationRequestKind::verkMyMusicAdd:
        return std::make_unique<TVKEmulationMyMusicAddRequestTask>(std::move(ARequest));
    case TVKEmulationRequestKind::verkMyMusicDelete:
        break;
    }
    return std::make_unique<TVKEmulationMyMusicDeleteRequestTask>(std::move(ARequest));
}

void TVKEmulationRequestTask::Execute()
{
    try {
        Run();
    } catch (const std::exception &) {
        FResult->ResultCode = 1;
    }
}

void TVKEmulationRequestTask::ExecuteFailed(const QString &Message)
{
    (void)Message;
    FResult->ResultCode = 1;
}

TVKEmulationAudioQueryRequestTask::TVKEmulationAudioQueryRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest) :
      TVKEmulationRequestTask(std::move(ARequest))
{
    SetResult(std::make_unique<TVKEmulationAudioQueryRequestResult>());
}

void TVKEmulationAudioSearchRequestTask::Run()
{
    const TVKEmulationRequest &request = GetRequest();
    // The page size is the site's: "count" is not sent.
    GetResult()->AudioRecords
        = ParseNonEmpty(LoadSearchSection(Jar(request), request.getParam(QStringLiteral("search_q")),
            request.Session().UserID, IntParam(request, QStringLiteral("offset"))));
}

void TVKEmulationAudioGetRequestTask::Run()
{
    const TVKEmulationRequest &request = GetRequest();
    GetResult()->AudioRecords = ParseNonEmpty(
        LoadAudioList(Jar(request), request.Session().UserID, IntParam(request, QStringLiteral("album_id"))));
}

TVKEmulationAudioURLGetterRequestTask::TVKEmulationAudioURLGetterRequestTask(
    std::unique_ptr<TVKEmulationRequest> ARequest) :
      TVKEmulationRequestTask(std::move(ARequest))
{
    SetResult(std::make_unique<TVKEmulationAudioURLGetterRequestResult>());
}

const TVKEmulationTrackRequest &TVKEmulationAudioURLGetterRequestTask::GetRequest() const
{
    return static_cast<const TVKEmulationTrackRequest &>(TVKEmulationRequestTask::GetRequest());
}

void TVKEmulationAudioURLGetterRequestTask::Run()
{
    const QStringList urls = ReloadAudioURLs(Jar(GetRequest()), GetRequest().getParam(QStringLiteral("ids")));
    for (const QString &url : urls)
        if (!IsPlayableURL(url))
            throw Exception(QStringLiteral("The site gave no playable URL"));
    GetResult()->AudioURLs = urls;
}

TVKEmulationMyMusicAddRequestTask::TVKEmulationMyMusicAddRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest) :
      TVKEmulationRequestTask(std::move(ARequest))
{
    SetResult(std::make_unique<TVKEmulationMyMusicAddRequestResult>());
}

const TVKEmulationTrackRequest &TVKEmulationMyMusicAddRequestTask::GetRequest() const
{
    return static_cast<const TVKEmulationTrackRequest &>(TVKEmulationRequestTask::GetRequest());
}

void TVKEmulationMyMusicAddRequestTask::Run()
{
    const TVKAudioPlaylistItem &track = GetRequest().Track();
    GetResult()->AddedAudioRecord = AddAudio(Jar(GetRequest()), track.OwnerID, track.AID, track.Hashes);
}

void TVKEmulationMyMusicDeleteRequestTask::Run()
{
    const TVKEmulationRequest &request = GetRequest();
    DeleteAudio(Jar(request), IntParam(request, QStringLiteral("owner_id")), IntParam(request, QStringLiteral("aid")),
        request.getParam(QStringLiteral("hashes")));
}
