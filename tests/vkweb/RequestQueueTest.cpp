#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"
#include "vkweb/TVKEmulationRequestTaskUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include "vkweb/VKWebTestSupport.h"

#include <QCoreApplication>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

std::string Framed(const std::string &JSON)
{
    return "<!--18345<!>audio.css<!>0<!>6812<!>0<!><!json>" + JSON + "<!><!bool>";
}

std::string Track(int AID, int OwnerID, const std::string &Title)
{
    return "[" + std::to_string(AID) + "," + std::to_string(OwnerID) + ",\"\",\"" + Title
        + "\",\"Артист\",180,0,0,\"\",0,0,\"\",\"[]\",\"add" + std::to_string(AID) + "/del" + std::to_string(AID)
        + "\"]";
}

std::string FormValue(const std::string &Body, const std::string &Name)
{
    httplib::Params params;
    httplib::detail::parse_query_text(Body, params);
    const auto found = params.find(Name);
    return found == params.end() ? std::string() : found->second;
}

// A result as the callback saw it.
struct TDelivery
{
    QString Kind;
    int ResultCode = -1;
    QList<TVKAudioRecord> Records;
    QStringList URLs;
    TVKAudioRecord Added;
    bool OnInterfaceThread = false;
};

class RequestQueue : public ::testing::Test
{
protected:
    RequestQueue()
    {
        ThreadedObjectsManager = new TThreadedObjectsManager();
        // Answers each act as the site does; a search for "slow" is held
        // until the test lets it go.
        FServer.Routes().Post("/al_audio.php", [this](const httplib::Request &Request, httplib::Response &Response) {
            const std::string act = FormValue(Request.body, "act");
            std::string answer;
            if (act == "a_load_section") {
                const std::string query = FormValue(Request.body, "search_q");
                if (query == "slow")
                    HoldSlowSearch();
                answer = query == "broken" ? "<html>502</html>" : Framed("{\"list\":[" + Track(1, 10, query) + "]}");
            } else if (act == "load_silent") {
                answer = Framed("{\"list\":[" + Track(2, 20, "Мой трек") + "," + Track(3, 20, "Ещё") + "]}");
            } else if (act == "reload_audio") {
                const std::string ids = FormValue(Request.body, "ids");
                const std::string url = ids == "5_1" ? "https://cs1.test/1.mp3"
                    : ids == "5_2"                   ? ""
                    : ids == "5_3"                   ? "javascript:alert(1)"
                                                     : "/relative.mp3";
                answer = Framed("[[1,5,\"" + url + "\"]]");
            } else if (act == "add") {
                answer = Framed(Track(900, 42, "Копия"));
            } else if (act == "delete_audio") {
                answer = Framed("");
            }
            Response.set_content(ToWindows1251(QString::fromStdString(answer)), "text/html");
        });
        FServer.Start();
        FSite = std::make_unique<TScopedEnvironment>("MARVANE_VK_WEB_URL", FServer.URL(QStringLiteral("/")));
        FEmulation = std::make_unique<TVKEmulationManager>();
        FEmulation->SetUserID(42);
        FQueue = std::make_unique<TVKEmulationRequestManager>(50);
    }
    ~RequestQueue() override
    {
        ReleaseSlowSearch();
        FQueue.reset();
        FEmulation.reset();
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
    }

    std::unique_ptr<TVKEmulationRequestData> Data(std::unique_ptr<TVKEmulationRequest> Request)
    {
        return std::make_unique<TVKEmulationRequestData>(std::move(Request), nullptr, [this](TObject *Sender) {
            auto *task = static_cast<TVKEmulationRequestTask *>(Sender);
            TDelivery delivery;
            delivery.Kind = task->GetRequest().ToString();
            delivery.ResultCode = task->GetResult()->ResultCode;
            delivery.OnInterfaceThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            if (auto *query = dynamic_cast<TVKEmulationAudioQueryRequestResult *>(task->GetResult()))
                delivery.Records = query->AudioRecords;
            if (auto *urls = dynamic_cast<TVKEmulationAudioURLGetterRequestResult *>(task->GetResult()))
                delivery.URLs = urls->AudioURLs;
            if (auto *added = dynamic_cast<TVKEmulationMyMusicAddRequestResult *>(task->GetResult()))
                delivery.Added = added->AddedAudioRecord;
            FDeliveries.push_back(delivery);
        });
    }

    std::unique_ptr<TVKAudioPlaylistItem> Item(int OwnerID, int AID)
    {
        TVKAudioRecord record;
        record.OwnerID = OwnerID;
        record.AID = AID;
        record.Hashes = QStringLiteral("addtok/deltok");
        return std::make_unique<TVKAudioPlaylistItem>(record);
    }

    bool WaitForDeliveries(std::size_t Count)
    {
        return TestEnvironment::WaitFor([&] { return FDeliveries.size() >= Count; });
    }
    bool WaitForRequests(std::size_t Count)
    {
        return TestEnvironment::WaitFor([&] { return FServer.Requests().size() >= Count; });
    }

    // On the server's thread: the slow search has reached the site and waits there.
    void HoldSlowSearch()
    {
        std::unique_lock lock(FSlowLock);
        FSlowArrived = true;
        FSlowGate.wait_for(lock, std::chrono::seconds(10), [this] { return FSlowReleased; });
    }
    bool WaitForSlowSearch()
    {
        return TestEnvironment::WaitFor([this] {
            std::lock_guard lock(FSlowLock);
            return FSlowArrived;
        });
    }
    void ReleaseSlowSearch()
    {
        {
            std::lock_guard lock(FSlowLock);
            FSlowReleased = true;
        }
        FSlowGate.notify_all();
    }

    TTempUserFolders FFolders;
    TTestHTTPServer FServer;
    std::unique_ptr<TScopedEnvironment> FSite;
    std::unique_ptr<TVKEmulationManager> FEmulation;
    std::unique_ptr<TVKEmulationRequestManager> FQueue;
    std::vector<TDelivery> FDeliveries;
    std::mutex FSlowLock;
    std::condition_variable FSlowGate;
    bool FSlowArrived = false;
    bool FSlowReleased = false;
};

} // namespace

TEST_F(RequestQueue, EachKindRunsItsCallInQueueOrderAndDeliversItsResult)
{
    using Factory = TVKEmulationRequestFactory;
    const TVKEmulationManager *manager = FEmulation.get();
    FQueue->Add(1, Data(Factory::ConstructAudioSearchRequest(manager, QStringLiteral("Кино"), 30, 100)));
    FQueue->Add(2, Data(Factory::ConstructAudioGetRequest(manager, 42, -1)));
    FQueue->Add(3, Data(Factory::ConstructAudioURLGetRequest(manager, Item(5, 1))));
    FQueue->Add(4, Data(Factory::ConstructMyMusicAddRequest(manager, Item(-7, 8))));
    FQueue->Add(5, Data(Factory::ConstructMyMusicDeleteRequest(manager, 42, 900, QStringLiteral("a/d"))));
    ASSERT_TRUE(WaitForDeliveries(5));

    std::sort(FDeliveries.begin(), FDeliveries.end(), [](const auto &A, const auto &B) { return A.Kind < B.Kind; });
    for (const auto &delivery : FDeliveries) {
        EXPECT_EQ(delivery.ResultCode, 0) << delivery.Kind.toStdString();
        EXPECT_TRUE(delivery.OnInterfaceThread);
    }
    EXPECT_EQ(FDeliveries[0].Kind, QStringLiteral("add, params = ids=-7_8"));
    EXPECT_EQ(FDeliveries[0].Added.AID, 900);
    EXPECT_EQ(FDeliveries[0].Added.OwnerID, 42);
    EXPECT_EQ(FDeliveries[1].Kind, QStringLiteral("delete, params = owner_id=42&aid=900&hashes=a/d"));
    EXPECT_EQ(FDeliveries[2].Kind, QStringLiteral("get, params = owner_id=42&album_id=-1"));
    ASSERT_EQ(FDeliveries[2].Records.size(), 2);
    EXPECT_EQ(FDeliveries[2].Records[0].Title, QStringLiteral("Мой трек"));
    EXPECT_EQ(FDeliveries[3].URLs, QStringList {QStringLiteral("https://cs1.test/1.mp3")});
    EXPECT_EQ(FDeliveries[4].Kind, QStringLiteral("search, params = search_q=Кино&offset=30&count=100"));
    ASSERT_EQ(FDeliveries[4].Records.size(), 1);
    EXPECT_EQ(FDeliveries[4].Records[0].Title, QStringLiteral("Кино"));

    const auto requests = FServer.Requests();
    ASSERT_EQ(requests.size(), 5u);
    const char *acts[] = {"a_load_section", "load_silent", "reload_audio", "add", "delete_audio"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(FormValue(requests[i].Body, "act"), acts[i]);
    // The signed-in user, not the request's owner, goes to the site.
    EXPECT_EQ(FormValue(requests[0].Body, "owner_id"), "42");
    EXPECT_EQ(FormValue(requests[1].Body, "owner_id"), "42");
    EXPECT_EQ(FormValue(requests[0].Body, "count"), "");
    EXPECT_EQ(FormValue(requests[3].Body, "hash"), "addtok");
    EXPECT_EQ(FormValue(requests[4].Body, "hash"), "d");
}

// The site answers a blocked track with an empty URL; once that counted as
// success and was asked for again and again.
TEST_F(RequestQueue, AURLThatCannotBePlayedIsAFailure)
{
    const struct
    {
        int AID;
        int ResultCode;
    } cases[] = {{1, 0}, {2, 1}, {3, 1}, {4, 1}};
    for (const auto &c : cases) {
        FDeliveries.clear();
        FQueue->Add(7, Data(TVKEmulationRequestFactory::ConstructAudioURLGetRequest(FEmulation.get(), Item(5, c.AID))));
        ASSERT_TRUE(WaitForDeliveries(1));
        EXPECT_EQ(FDeliveries[0].ResultCode, c.ResultCode) << c.AID;
        EXPECT_EQ(FDeliveries[0].URLs.isEmpty(), c.ResultCode != 0) << c.AID;
    }
}

TEST_F(RequestQueue, FailuresArriveAsResultCodes)
{
    FQueue->Add(1,
        Data(
            TVKEmulationRequestFactory::ConstructAudioSearchRequest(FEmulation.get(), QStringLiteral("broken"), 0, 0)));
    // Without a session there is no jar to send.
    FQueue->Add(2, Data(TVKEmulationRequestFactory::ConstructAudioGetRequest(nullptr, 1, -1)));
    FQueue->Add(3,
        Data(TVKEmulationRequestFactory::ConstructMyMusicDeleteRequest(
            FEmulation.get(), 1, 2, QStringLiteral("no-removal-token"))));
    ASSERT_TRUE(WaitForDeliveries(3));
    for (const auto &delivery : FDeliveries)
        EXPECT_EQ(delivery.ResultCode, 1) << delivery.Kind.toStdString();
}

TEST_F(RequestQueue, ANewerRequestReplacesAWaitingOneAndSilencesARunningOne)
{
    using Factory = TVKEmulationRequestFactory;
    // Running: the slow search is held at the site when its successor comes.
    FQueue->Add(1, Data(Factory::ConstructAudioSearchRequest(FEmulation.get(), QStringLiteral("slow"), 0, 0)));
    ASSERT_TRUE(WaitForSlowSearch());
    FQueue->Add(1, Data(Factory::ConstructAudioSearchRequest(FEmulation.get(), QStringLiteral("second"), 0, 0)));
    // Waiting: a result callback runs with the queue locked, so the worker
    // cannot start the first of these before the second replaces it.
    FQueue->Add(3,
        std::make_unique<TVKEmulationRequestData>(
            Factory::ConstructAudioGetRequest(FEmulation.get(), 1, -3), nullptr, [this](TObject *) {
                FQueue->Add(2, Data(Factory::ConstructAudioGetRequest(FEmulation.get(), 1, -1)));
                FQueue->Add(2, Data(Factory::ConstructAudioGetRequest(FEmulation.get(), 1, -7)));
            }));
    ASSERT_TRUE(WaitForDeliveries(2));
    // Let the slow one finish: its result must not come.
    ReleaseSlowSearch();
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return ThreadedObjectsManager->Count() == 0; }));
    QCoreApplication::processEvents();

    ASSERT_EQ(FDeliveries.size(), 2u);
    QStringList kinds {FDeliveries[0].Kind, FDeliveries[1].Kind};
    kinds.sort();
    EXPECT_EQ(kinds.join(u'|').toStdString(),
        "get, params = owner_id=1&album_id=-7|search, params = search_q=second&offset=0&count=0");
    const auto requests = FServer.Requests();
    EXPECT_EQ(requests.size(), 4u);
    for (const auto &request : requests)
        EXPECT_NE(FormValue(request.Body, "album_id"), "-1");
}

// A busy indicator follows the queue: every start, then its end, on the
// interface thread; a replaced task and a failed one end too.
TEST_F(RequestQueue, StartAndEndNoticesComeInPairsOnTheInterfaceThread)
{
    int starts = 0;
    int ends = 0;
    int busy = 0;
    int lowest = 0;
    bool elsewhere = false;
    const auto onInterfaceThread = [] { return QThread::currentThread() == QCoreApplication::instance()->thread(); };
    FQueue->SetOnRequestStart([&](TObject *Sender) {
        EXPECT_EQ(Sender, FQueue.get());
        elsewhere |= !onInterfaceThread();
        ++starts;
        ++busy;
    });
    FQueue->SetOnRequestEnd([&](TObject *Sender) {
        EXPECT_EQ(Sender, FQueue.get());
        elsewhere |= !onInterfaceThread();
        ++ends;
        lowest = std::min(lowest, --busy);
    });

    using Factory = TVKEmulationRequestFactory;
    FQueue->Add(1, Data(Factory::ConstructAudioSearchRequest(FEmulation.get(), QStringLiteral("slow"), 0, 0)));
    ASSERT_TRUE(WaitForSlowSearch());
    FQueue->Add(1, Data(Factory::ConstructAudioSearchRequest(FEmulation.get(), QStringLiteral("broken"), 0, 0)));
    FQueue->Add(2, Data(Factory::ConstructAudioGetRequest(FEmulation.get(), 1, -1)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ends == 2; }));
    EXPECT_EQ(busy, 1) << "the replaced search still runs";
    ReleaseSlowSearch();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ends == 3; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(starts, 3);
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(lowest, 0);
    EXPECT_FALSE(elsewhere);
}

TEST_F(RequestQueue, ACallbackMayQueueAgainAndResetSilencesEverything)
{
    int retries = 0;
    std::function<void(TObject *)> retry = [&](TObject *) {
        if (++retries < 3)
            FQueue->Add(9,
                std::make_unique<TVKEmulationRequestData>(
                    TVKEmulationRequestFactory::ConstructAudioGetRequest(FEmulation.get(), 1, -1), nullptr, retry));
    };
    FQueue->Add(9,
        std::make_unique<TVKEmulationRequestData>(
            TVKEmulationRequestFactory::ConstructAudioGetRequest(FEmulation.get(), 1, -1), nullptr, retry));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return retries == 3; }));

    FQueue->Add(1,
        Data(TVKEmulationRequestFactory::ConstructAudioSearchRequest(FEmulation.get(), QStringLiteral("slow"), 0, 0)));
    ASSERT_TRUE(WaitForSlowSearch());
    FQueue->Add(2, Data(TVKEmulationRequestFactory::ConstructAudioGetRequest(FEmulation.get(), 1, -1)));
    FQueue->Reset();
    ReleaseSlowSearch();
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return ThreadedObjectsManager->Count() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(FDeliveries.empty());
}

TEST_F(RequestQueue, AStoppedQueueStartsNothing)
{
    FQueue->StopThread();
    FQueue->Add(1, Data(TVKEmulationRequestFactory::ConstructAudioGetRequest(FEmulation.get(), 1, -1)));
    EXPECT_FALSE(TestEnvironment::WaitFor([&] { return !FServer.Requests().empty(); }, std::chrono::milliseconds(300)));
}

// A task made before a logout finishes with the jar of its making; the new
// session's jar and the cookie file stay untouched.
TEST_F(RequestQueue, ATaskMadeBeforeLogoutKeepsItsOwnSession)
{
    const auto oldJar = FEmulation->CookieManager();
    oldJar->AddServerCookies({QStringLiteral("remixsid=old")}, QUrl(FServer.URL()));
    auto request = TVKEmulationRequestFactory::ConstructAudioGetRequest(FEmulation.get(), 1, -1);
    FEmulation->Logout();
    EXPECT_EQ(FEmulation->UserID(), 0);
    FQueue->Add(1, Data(std::move(request)));
    ASSERT_TRUE(WaitForDeliveries(1));
    EXPECT_EQ(FDeliveries[0].ResultCode, 0);
    EXPECT_EQ(FServer.Requests().back().Header("Cookie"), "remixsid=old");
    EXPECT_EQ(FormValue(FServer.Requests().back().Body, "owner_id"), "42");
    EXPECT_EQ(FEmulation->CookieManager()->Count(), 0);
}
