#include "foundation/TThreadedObjectsManagerUnit.h"
#include "requests/TAPIRequestFactoryUnit.h"
#include "requests/TAPIRequestManagerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <system_error>
#include <thread>

namespace {

// The answer "error:TEXT" is a service error; any other answer is echoed.
class TEchoResult : public TAPIResponseParserResult
{
public:
    TEchoResult() = default;
    explicit TEchoResult(const TCloneable &Source) : TAPIResponseParserResult(Source)
    {
        if (const auto *source = dynamic_cast<const TEchoResult *>(&Source))
            Text = source->Text;
    }
    std::unique_ptr<TCloneable> Clone() const override { return std::make_unique<TEchoResult>(*this); }
    QString Text;
};

class TEchoParser : public TAPIResponseParser
{
public:
    using TAPIResponseParser::TAPIResponseParser;

protected:
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override { return std::make_unique<TEchoResult>(); }
    void Execute() override
    {
        auto &result = static_cast<TEchoResult &>(Result());
        if (JSONString() == QLatin1String("unparsable"))
            throw Exception(QStringLiteral("Unexpected answer"));
        if (JSONString().startsWith(QStringLiteral("error:"))) {
            result.ResultCode = 1;
            result.ErrorMessage = QStringLiteral("API error");
            result.APIErrorCode = 14;
            result.APIErrorMessage = JSONString().mid(6);
        } else {
            result.Text = JSONString();
        }
    }
};

// When each invoker was made: on the worker, just before the manager takes the
// tick of its start and after it checked the interval against the last one.
std::mutex GMadeLock;
std::vector<std::uint64_t> GMadeTicks;

class TEchoInvoker : public TAPIRequestInvoker
{
public:
    explicit TEchoInvoker(std::unique_ptr<TAPIRequest> ARequest) : TAPIRequestInvoker(std::move(ARequest))
    {
        using namespace std::chrono;
        std::lock_guard guard(GMadeLock);
        GMadeTicks.push_back(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    TEchoResult *GetAPIResult() const { return static_cast<TEchoResult *>(APIResult()); }

protected:
    TAPIResponseParserClass GetResponseParserClass() const override { return ParserClass<TEchoParser>(); }
};

// Its parser cannot even be made.
class TBrokenInvoker : public TAPIRequestInvoker
{
public:
    using TAPIRequestInvoker::TAPIRequestInvoker;

protected:
    TAPIResponseParserClass GetResponseParserClass() const override
    {
        return [](const QString &) -> std::unique_ptr<TAPIResponseParser> {
            throw Exception(QStringLiteral("No parser"));
        };
    }
};

class TEchoRequestManager : public TAPIRequestManager
{
public:
    explicit TEchoRequestManager(std::uint32_t Interval) : TAPIRequestManager(Interval) { StartThread(); }
    ~TEchoRequestManager() override { StopThread(); }
};

struct TDelivery
{
    QString Text;
    bool OnInterfaceThread;
    std::uint32_t InvokerID;
    TAPIRequestInvokerResult Copy;
};

class APIRequestManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ThreadedObjectsManager = new TThreadedObjectsManager();
        // Echoes "text"; "slow" answers after 400 ms, "held" once released;
        // "missing" is a 404.
        FServer.Routes().Get("/method/echo", [this](const httplib::Request &request, httplib::Response &response) {
            const std::string text = request.get_param_value("text");
            if (text == "slow")
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
            if (text == "held") {
                std::unique_lock lock(FHoldLock);
                FHeld.wait(lock, [this] { return FReleased; });
            }
            response.status = text == "missing" ? 404 : 200;
            response.set_content(text, "application/json");
        });
        FServer.Start();
    }
    void TearDown() override
    {
        Release();
        FManager.reset();
        TThreadedObjectsManager::SetThreadFactory(nullptr);
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
    }

    void Release()
    {
        {
            std::lock_guard guard(FHoldLock);
            FReleased = true;
        }
        FHeld.notify_all();
    }

    void Make(std::uint32_t Interval)
    {
        FManager = std::make_unique<TEchoRequestManager>(Interval);
        FManager->SetOnRequestStart([this](TObject *Sender) {
            EXPECT_EQ(Sender, FManager.get());
            FNotices.push_back({true, InterfaceThread::IsCurrent()});
        });
        FManager->SetOnRequestEnd([this](TObject *) {
            FNotices.push_back({false, InterfaceThread::IsCurrent()});
            ++FEnds;
        });
    }

    std::unique_ptr<TAPIRequestData> Data(
        const QString &Text, const QString &URL = {}, TAPIRequestInvokerClass Invoker = InvokerClass<TEchoInvoker>())
    {
        auto request = std::make_unique<TAPIRequest>(URL.isEmpty() ? FServer.URL(QStringLiteral("/method/")) : URL,
            QStringLiteral("echo"), TURIParams {URIParam(QStringLiteral("text"), Text)});
        return std::make_unique<TAPIRequestData>(
            std::move(Invoker), std::move(request), nullptr, [this, Text](TObject *Sender) {
                auto *invoker = static_cast<TAPIRequestInvoker *>(Sender);
                TDelivery delivery {Text, InterfaceThread::IsCurrent(), invoker->ID(), {}};
                delivery.Copy.ResultCode = invoker->Result().ResultCode;
                delivery.Copy.HTTPRequestResult = invoker->Result().HTTPRequestResult;
                if (invoker->APIResult())
                    delivery.Copy.APIResponseParserResult = CloneOf(*invoker->APIResult());
                FDelivered.push_back(std::move(delivery));
            });
    }

    std::size_t Starts() const
    {
        return std::count_if(FNotices.begin(), FNotices.end(), [](const auto &notice) { return notice.Start; });
    }

    TTestHTTPServer FServer;
    std::unique_ptr<TEchoRequestManager> FManager;
    struct TNotice
    {
        bool Start;
        bool OnInterfaceThread;
    };
    std::vector<TNotice> FNotices;
    std::mutex FHoldLock;
    std::condition_variable FHeld;
    bool FReleased = false;
    int FEnds = 0;
    std::vector<TDelivery> FDelivered;
};

// The texts in start order: invokers are numbered as they are made, while
// their deliveries may come in any order.
QStringList Texts(const std::vector<TDelivery> &Delivered)
{
    std::vector<const TDelivery *> started;
    for (const auto &delivery : Delivered)
        started.push_back(&delivery);
    std::sort(started.begin(), started.end(), [](const auto *a, const auto *b) { return a->InvokerID < b->InvokerID; });
    QStringList texts;
    for (const auto *delivery : started)
        texts << delivery->Text;
    return texts;
}

const TAPIRequestInvokerResult &ResultOf(const std::vector<TDelivery> &Delivered, const QString &Text)
{
    static const TAPIRequestInvokerResult None;
    auto delivery = std::find_if(Delivered.begin(), Delivered.end(), [&](const auto &d) { return d.Text == Text; });
    if (delivery == Delivered.end()) {
        ADD_FAILURE() << "no result for " << Text.toStdString();
        return None;
    }
    return delivery->Copy;
}

} // namespace

TEST_F(APIRequestManagerTest, StartsRequestsAnIntervalApartInOrderAndDeliversOnTheInterfaceThread)
{
    {
        std::lock_guard guard(GMadeLock);
        GMadeTicks.clear();
    }
    Make(300);
    FManager->Add(1, Data(QStringLiteral("one")));
    FManager->Add(2, Data(QStringLiteral("two")));
    FManager->Add(3, Data(QStringLiteral("three")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 3; }));

    EXPECT_EQ(Texts(FDelivered), QStringList({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    for (const auto &delivery : FDelivered) {
        EXPECT_TRUE(delivery.OnInterfaceThread);
        EXPECT_EQ(delivery.Copy.ResultCode, irOK);
        ASSERT_NE(dynamic_cast<TEchoResult *>(delivery.Copy.APIResponseParserResult.get()), nullptr);
        EXPECT_EQ(static_cast<TEchoResult &>(*delivery.Copy.APIResponseParserResult).Text, delivery.Text);
    }
    // The starts as the worker made them: never closer than the interval.
    std::lock_guard guard(GMadeLock);
    ASSERT_EQ(GMadeTicks.size(), 3u);
    for (std::size_t i = 1; i < GMadeTicks.size(); ++i)
        EXPECT_GE(GMadeTicks[i] - GMadeTicks[i - 1], 300u);
}

TEST_F(APIRequestManagerTest, StartAndEndNoticesReachTheInterfaceThreadInOrderEvenWhileItWaits)
{
    Make(100);
    FManager->Add(1, Data(QStringLiteral("one")));
    // A wait of the interface thread serves the result (a synchronized call)
    // but no queued call: the start notice must still come first.
    InterfaceThread::WaitUntil([&] { return !FDelivered.empty(); });
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FEnds == 1; }));
    int busy = 0;
    for (const TNotice &notice : FNotices) {
        EXPECT_TRUE(notice.OnInterfaceThread);
        busy += notice.Start ? 1 : -1;
        EXPECT_GE(busy, 0);
    }
    EXPECT_EQ(FNotices.size(), 2u);
    EXPECT_EQ(busy, 0);
}

TEST_F(APIRequestManagerTest, NewRequestSupersedesAWaitingOneOfTheSameOperation)
{
    Make(500);
    FManager->Add(1, Data(QStringLiteral("warm")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Starts() == 1; }));
    // The interval keeps these waiting.
    FManager->Add(2, Data(QStringLiteral("first")));
    FManager->Add(2, Data(QStringLiteral("second")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 2; }));
    EXPECT_EQ(Texts(FDelivered), QStringList({QStringLiteral("warm"), QStringLiteral("second")}));
    for (const auto &request : FServer.Requests())
        EXPECT_EQ(request.Target.find("first"), std::string::npos);
}

TEST_F(APIRequestManagerTest, SupersededRunningRequestEndsWithoutDelivery)
{
    Make(100);
    FManager->Add(5, Data(QStringLiteral("slow")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Starts() == 1; }));
    FManager->Add(5, Data(QStringLiteral("fast")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FEnds == 2; }));
    EXPECT_EQ(Texts(FDelivered), QStringList {QStringLiteral("fast")});
}

TEST_F(APIRequestManagerTest, ResultCallbackMayQueueAgainAndResetDropsRunningResults)
{
    Make(100);
    auto data = Data(QStringLiteral("one"));
    const TNotifyEvent record = data->OnRequestResult;
    data->OnRequestResult = [&, record](TObject *Sender) {
        record(Sender);
        FManager->Add(2, Data(QStringLiteral("again"))); // the queue's lock is held here
    };
    FManager->Add(1, std::move(data));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 2; }));
    EXPECT_EQ(Texts(FDelivered), QStringList({QStringLiteral("one"), QStringLiteral("again")}));

    FManager->Add(3, Data(QStringLiteral("slow")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Starts() == 3; }));
    FManager->Reset();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FEnds == 3; }));
    EXPECT_EQ(FDelivered.size(), 2u);
}

TEST_F(APIRequestManagerTest, FailuresArriveAsResultCodes)
{
    Make(100);
    FManager->Add(1, Data(QStringLiteral("error:Too many requests")));
    FManager->Add(2, Data(QStringLiteral("missing")));
    FManager->Add(3,
        Data(QStringLiteral("unreachable"), QStringLiteral("http://127.0.0.1:%1/method/").arg(UnusedLoopbackPort())));
    FManager->Add(4, Data(QStringLiteral("unparsable")));
    FManager->Add(5, Data(QStringLiteral("broken"), {}, InvokerClass<TBrokenInvoker>()));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 5; }));

    const TAPIRequestInvokerResult &apiError = ResultOf(FDelivered, QStringLiteral("error:Too many requests"));
    EXPECT_EQ(apiError.ResultCode, irParserFailed);
    ASSERT_NE(apiError.APIResponseParserResult, nullptr);
    EXPECT_EQ(apiError.APIResponseParserResult->ResultCode, 1);
    EXPECT_EQ(apiError.APIResponseParserResult->ErrorMessage, QStringLiteral("API error"));
    EXPECT_EQ(apiError.APIResponseParserResult->APIErrorCode, 14);
    EXPECT_EQ(apiError.APIResponseParserResult->APIErrorMessage, QStringLiteral("Too many requests"));

    const TAPIRequestInvokerResult &missing = ResultOf(FDelivered, QStringLiteral("missing"));
    EXPECT_EQ(missing.ResultCode, irHTTPFailed);
    EXPECT_EQ(missing.HTTPRequestResult.ResultCode, hrHTTPError);
    EXPECT_EQ(missing.HTTPRequestResult.ErrorMessage, QStringLiteral("404 Not Found"));
    EXPECT_EQ(missing.APIResponseParserResult, nullptr);

    const TAPIRequestInvokerResult &unreachable = ResultOf(FDelivered, QStringLiteral("unreachable"));
    EXPECT_EQ(unreachable.ResultCode, irHTTPFailed);
    EXPECT_EQ(unreachable.HTTPRequestResult.ResultCode, hrTransportError);
    EXPECT_EQ(unreachable.APIResponseParserResult, nullptr);

    // A parser whose work failed outright never reports success.
    const TAPIRequestInvokerResult &unparsable = ResultOf(FDelivered, QStringLiteral("unparsable"));
    EXPECT_EQ(unparsable.ResultCode, irParserFailed);
    ASSERT_NE(unparsable.APIResponseParserResult, nullptr);
    EXPECT_EQ(unparsable.APIResponseParserResult->ResultCode, prParseFailed);
    EXPECT_EQ(unparsable.APIResponseParserResult->ErrorMessage, QStringLiteral("Unexpected answer"));

    // An invoker whose own work failed outright never reports success either.
    const TAPIRequestInvokerResult &broken = ResultOf(FDelivered, QStringLiteral("broken"));
    EXPECT_EQ(broken.ResultCode, irHTTPFailed);
    EXPECT_EQ(broken.HTTPRequestResult.ResultCode, hrException);
    EXPECT_EQ(broken.HTTPRequestResult.ErrorMessage, QStringLiteral("No parser"));
    EXPECT_EQ(broken.APIResponseParserResult, nullptr);
}

TEST_F(APIRequestManagerTest, StopThreadWaitsNeitherForTheIntervalNorForRunningRequests)
{
    Make(60000);
    FManager->Add(1, Data(QStringLiteral("held")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Starts() == 1; }));
    for (std::uint32_t id = 2; id <= 4; ++id)
        FManager->Add(id, Data(QStringLiteral("queued")));

    // Stopped on a thread of its own, so that a stop that waits for the held
    // request fails here instead of blocking the test.
    std::atomic<bool> stopped {false};
    std::thread stopper([&] {
        FManager->StopThread();
        stopped = true;
    });
    const bool stoppedWhileHeld = TestEnvironment::WaitFor([&] { return stopped.load(); });
    Release();
    stopper.join();
    EXPECT_TRUE(stoppedWhileHeld);
    FManager.reset();

    // The running request still ends; its result finds no manager.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ThreadedObjectsManager->Count() == 0; }));
    EXPECT_TRUE(FDelivered.empty());
    EXPECT_EQ(FServer.Requests().size(), 1u);
}

TEST_F(APIRequestManagerTest, AWorkerLeftRunningAfterTheObjectsManagerIsGoneStartsNothing)
{
    Make(100);
    FManager->Add(1, Data(QStringLiteral("one")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 1; }));

    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
    FManager->Add(2, Data(QStringLiteral("late")));
    // The worker goes on and starts the request: the start is refused.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Starts() == 2; }));
    FManager->StopThread();
    EXPECT_EQ(Texts(FDelivered), QStringList {QStringLiteral("one")});
    EXPECT_EQ(FServer.Requests().size(), 1u);
}

TEST_F(APIRequestManagerTest, WithoutAThreadTheExchangeFailsInsteadOfDeadlocking)
{
    // The threads of a request are made in this order: the invoker's, the
    // executor's, the parser's. One of them cannot be made.
    std::atomic<int> made {0};
    std::atomic<int> failing {0};
    TThreadedObjectsManager::SetThreadFactory([&](std::function<void()> Body) {
        if (++made == failing)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(Body));
    });
    const struct
    {
        int Failing;
        TAPIRequestInvokerResultCode Code;
        std::size_t Requests;
    } cases[] = {{1, irHTTPFailed, 0}, {2, irHTTPFailed, 0}, {3, irParserFailed, 1}};

    Make(100);
    std::uint32_t operation = 0;
    for (const auto &c : cases) {
        made = 0;
        failing = c.Failing;
        const std::size_t requestsBefore = FServer.Requests().size();
        FManager->Add(++operation, Data(QStringLiteral("x")));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == operation; })) << c.Failing;

        const TDelivery &delivery = FDelivered.back();
        EXPECT_TRUE(delivery.OnInterfaceThread) << c.Failing;
        EXPECT_EQ(delivery.Copy.ResultCode, c.Code) << c.Failing;
        const QString failure = c.Code == irHTTPFailed ? delivery.Copy.HTTPRequestResult.ErrorMessage
                                                       : delivery.Copy.APIResponseParserResult->ErrorMessage;
        EXPECT_TRUE(failure.startsWith(QStringLiteral("No thread for the work"))) << failure.toStdString();
        if (c.Code == irHTTPFailed) {
            EXPECT_EQ(delivery.Copy.HTTPRequestResult.ResultCode, hrException) << c.Failing;
        }
        EXPECT_EQ(FServer.Requests().size() - requestsBefore, c.Requests) << c.Failing;
    }
}

TEST_F(APIRequestManagerTest, WorkerSleepsWhileTheQueueIsEmptyAndWakesForEachRequest)
{
    using namespace std::chrono_literals;
    // The objects manager and the queue are made after the count starts, so
    // that the reaper and the worker are counted; the test server is not.
    const TNewThreadWakeUps wakeUps;
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = new TThreadedObjectsManager();
    Make(0);
    EXPECT_EQ(wakeUps.Over(1s), 0);

    for (const QString &text : {QStringLiteral("one"), QStringLiteral("two")}) {
        FManager->Add(1, Data(text));
        ASSERT_TRUE(TestEnvironment::WaitFor(
            [&] { return FEnds == int(Starts()) && !FDelivered.empty() && FDelivered.back().Text == text; }, 2s));
    }
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ThreadedObjectsManager->Count() == 0; }, 2s));
    EXPECT_EQ(wakeUps.Over(1s), 0);
}
