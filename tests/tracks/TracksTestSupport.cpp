#include "tracks/TracksTestSupport.h"

#include "app/globals/TGlobalObjectsUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QJsonArray>
#include <QJsonDocument>

std::string FramedJSON(const std::string &JSON)
{
    return "<!--18345<!>audio.css,audio.js<!>0<!>6812<!>0<!><!json>" + JSON + "<!>";
}

std::string TrackJSON(const TVKAudioRecord &Record)
{
    const QJsonArray track {Record.AID, Record.OwnerID, Record.URL, Record.Title, Record.Artist, Record.Duration, 0, 0,
        QString(), 0, 2, QString(), QString(), Record.Hashes};
    return QJsonDocument(track).toJson(QJsonDocument::Compact).toStdString();
}

std::string ListAnswer(const QList<TVKAudioRecord> &Records)
{
    std::string list;
    for (const TVKAudioRecord &record : Records)
        list += (list.empty() ? "" : ",") + TrackJSON(record);
    return FramedJSON("{\"list\":[" + list + "]}");
}

TVKAudioRecord Record(int OwnerID, int AID, const QString &Artist, const QString &Title)
{
    TVKAudioRecord record;
    record.OwnerID = OwnerID;
    record.AID = AID;
    record.Artist = Artist;
    record.Title = Title;
    record.Duration = 180;
    record.Hashes = QStringLiteral("add%1/del%1").arg(AID);
    return record;
}

std::string FormValue(const std::string &Body, const std::string &Name)
{
    httplib::Params params;
    httplib::detail::parse_query_text(Body, params);
    const auto found = params.find(Name);
    return found == params.end() ? std::string() : found->second;
}

TScriptedSite::TScriptedSite(THandler Handler) : FHandler(std::move(Handler))
{
    FServer.Routes().Post("/al_audio.php", [this](const httplib::Request &Request, httplib::Response &Response) {
        const TAnswer answer = FHandler(FormValue(Request.body, "act"), Request.body);
        Response.status = answer.Status;
        Response.set_content(ToWindows1251(answer.Body), "text/html; charset=windows-1251");
    });
    FServer.Start();
    FSite = std::make_unique<TScopedEnvironment>("MARVANE_VK_WEB_URL", FServer.URL(QString()));
}

TScriptedSite::~TScriptedSite() = default;

std::vector<TRecordedRequest> TScriptedSite::Requests(const std::string &Act) const
{
    std::vector<TRecordedRequest> requests = FServer.Requests();
    std::erase_if(requests, [&Act](const TRecordedRequest &Request) { return FormValue(Request.Body, "act") != Act; });
    return requests;
}

void TGate::Open()
{
    {
        std::lock_guard guard(FLock);
        FIsOpen = true;
    }
    FOpened.notify_all();
}

void TGate::Wait()
{
    std::unique_lock lock(FLock);
    FOpened.wait(lock, [this] { return FIsOpen; });
}

TListsEnvironment::TListsEnvironment() :
      FGlobals(std::make_unique<TGlobalObjects>()), FManager(std::make_unique<TVKEmulationManager>())
{
}

TListsEnvironment::~TListsEnvironment()
{
    FManager.reset();
    FGlobals.reset();
}

bool TListsEnvironment::SignIn(const QString &Login, const QString &Password)
{
    bool signedIn = false;
    FManager->AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
    FManager->AuthManager().Login(Login, Password);
    return TestEnvironment::WaitFor([&] { return signedIn; });
}

bool TListsEnvironment::TasksHandled()
{
    return TestEnvironment::WaitFor([] { return ThreadedObjectsManager->Count() == 0; });
}

TListEvents::TListEvents(TAudioData &Data)
{
    Data.OnChanged = [this](TObject *, bool IsCurrentDataUpdated) { Changes.push_back(IsCurrentDataUpdated); };
    Data.OnItemChanged = [this](TObject *, int Index) { ItemChanges.push_back(Index); };
}

bool TListEvents::WaitForChanges(std::size_t Count) const
{
    return TestEnvironment::WaitFor([&] { return Changes.size() >= Count; });
}

void TAnimationsRecorder::Connect(TAudioDataAnimations &Animations)
{
    Animations.StartAddTrackAnimation = Animations.StartLoadingAnimation = [this] {
        Running.insert(FNextID);
        return FNextID++;
    };
    Animations.StopAnimation = [this](int AnimationID) {
        Running.erase(AnimationID);
        Stopped.push_back(AnimationID);
    };
}
