#include "requests/TAPIRequestFactoryUnit.h"
#include "requests/TAPIRequestManagerUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
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

class TEchoInvoker : public TAPIRequestInvoker
{
public:
    using TAPIRequestInvoker::TAPIRequestInvoker;
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
};

struct TDelivery
{
    QString Text;
    bool OnInterfaceThread;
    TAPIRequestInvokerResult Copy;
};

class APIRequestManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ThreadedObjectsManager = new TThreadedObjectsManager();
        // Echoes "text"; "slow" answers after 400 ms; "missing" is a 404.
        FServer.Routes().Get("/method/echo", [](const httplib::Request &request, httplib::Response &response) {
            const std::string text = request.get_param_value("text");
            if (text == "slow")
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
            response.status = text == "missing" ? 404 : 200;
            response.set_content(text, "application/json");
        });
        FServer.Start();
    }
    void TearDown() override
    {
        FManager.reset();
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
    }

    void Make(std::uint32_t Interval)
    {
        FManager = std::make_unique<TEchoRequestManager>(Interval);
        FManager->SetOnRequestStart([this](TObject *) {
            std::lock_guard guard(FLock);
            FStarts.push_back(std::chrono::steady_clock::now());
        });
        FManager->SetOnRequestEnd([this](TObject *) { ++FEnds; });
    }

    std::unique_ptr<TAPIRequestData> Data(const QString &Text, const QString &URL = {},
                                          TAPIRequestInvokerClass Invoker = InvokerClass<TEchoInvoker>())
    {
        auto request = std::make_unique<TAPIRequest>(URL.isEmpty() ? FServer.URL(QStringLiteral("/method/")) : URL,
                                                     QStringLiteral("echo"), TURIParams{URIParam(QStringLiteral("text"), Text)});
        return std::make_unique<TAPIRequestData>(std::move(Invoker), std::move(request), nullptr,
                                                 [this, Text](TObject *Sender) {
                                                     auto *invoker = static_cast<TAPIRequestInvoker *>(Sender);
                                                     TDelivery delivery{Text, InterfaceThread::IsCurrent(), {}};
                                                     delivery.Copy.ResultCode = invoker->Result().ResultCode;
                                                     delivery.Copy.HTTPRequestResult = invoker->Result().HTTPRequestResult;
                                                     if (invoker->APIResult())
                                                         delivery.Copy.APIResponseParserResult = CloneOf(*invoker->APIResult());
                                                     FDelivered.push_back(std::move(delivery));
                                                 });
    }

    std::size_t Starts()
    {
        std::lock_guard guard(FLock);
        return FStarts.size();
    }

    TTestHTTPServer FServer;
    std::unique_ptr<TEchoRequestManager> FManager;
    std::mutex FLock;
    std::vector<std::chrono::steady_clock::time_point> FStarts;
    std::atomic<int> FEnds{0};
    std::vector<TDelivery> FDelivered;
};

QStringList Texts(const std::vector<TDelivery> &Delivered)
{
    QStringList texts;
    for (const auto &delivery : Delivered)
        texts << delivery.Text;
    return texts;
}

} // namespace

TEST_F(APIRequestManagerTest, StartsRequestsAnIntervalApartInOrderAndDeliversOnTheInterfaceThread)
{
    Make(300);
    FManager->Add(1, Data(QStringLiteral("one")));
    FManager->Add(2, Data(QStringLiteral("two")));
    FManager->Add(3, Data(QStringLiteral("three")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 3; }));

    EXPECT_EQ(Texts(FDelivered), QStringList({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    for (const auto &delivery : FDelivered) {
        EXPECT_TRUE(delivery.OnInterfaceThread);
        EXPECT_EQ(delivery.Copy.ResultCode, 0);
        ASSERT_NE(dynamic_cast<TEchoResult *>(delivery.Copy.APIResponseParserResult.get()), nullptr);
        EXPECT_EQ(static_cast<TEchoResult &>(*delivery.Copy.APIResponseParserResult).Text, delivery.Text);
    }
    std::lock_guard guard(FLock);
    ASSERT_EQ(FStarts.size(), 3u);
    for (std::size_t i = 1; i < FStarts.size(); ++i)
        EXPECT_GE(FStarts[i] - FStarts[i - 1], std::chrono::milliseconds(280)); // less hand-over jitter
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
    EXPECT_EQ(Texts(FDelivered), QStringList{QStringLiteral("fast")});
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
    FManager->Add(3, Data(QStringLiteral("x"), QStringLiteral("http://127.0.0.1:%1/method/").arg(UnusedLoopbackPort())));
    FManager->Add(4, Data(QStringLiteral("unparsable")));
    FManager->Add(5, Data(QStringLiteral("x"), {}, InvokerClass<TBrokenInvoker>()));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 5; }));

    const TAPIRequestInvokerResult &apiError = FDelivered[0].Copy;
    EXPECT_EQ(apiError.ResultCode, 2);
    ASSERT_NE(apiError.APIResponseParserResult, nullptr);
    EXPECT_EQ(apiError.APIResponseParserResult->ResultCode, 1);
    EXPECT_EQ(apiError.APIResponseParserResult->ErrorMessage, QStringLiteral("API error"));
    EXPECT_EQ(apiError.APIResponseParserResult->APIErrorCode, 14);
    EXPECT_EQ(apiError.APIResponseParserResult->APIErrorMessage, QStringLiteral("Too many requests"));

    const TAPIRequestInvokerResult &missing = FDelivered[1].Copy;
    EXPECT_EQ(missing.ResultCode, 1);
    EXPECT_EQ(missing.HTTPRequestResult.ResultCode, 2);
    EXPECT_EQ(missing.HTTPRequestResult.ErrorMessage, QStringLiteral("404 Not Found"));
    EXPECT_EQ(missing.APIResponseParserResult, nullptr);

    const TAPIRequestInvokerResult &unreachable = FDelivered[2].Copy;
    EXPECT_EQ(unreachable.ResultCode, 1);
    EXPECT_EQ(unreachable.HTTPRequestResult.ResultCode, 3);
    EXPECT_EQ(unreachable.APIResponseParserResult, nullptr);

    // A parser whose work failed outright never reports success.
    const TAPIRequestInvokerResult &unparsable = FDelivered[3].Copy;
    EXPECT_EQ(unparsable.ResultCode, 2);
    ASSERT_NE(unparsable.APIResponseParserResult, nullptr);
    EXPECT_EQ(unparsable.APIResponseParserResult->ResultCode, 1);
    EXPECT_EQ(unparsable.APIResponseParserResult->ErrorMessage, QStringLiteral("Unexpected answer"));

    // An invoker whose own work failed outright never reports success either.
    const TAPIRequestInvokerResult &broken = FDelivered[4].Copy;
    EXPECT_EQ(broken.ResultCode, 1);
    EXPECT_EQ(broken.HTTPRequestResult.ResultCode, 4);
    EXPECT_EQ(broken.HTTPRequestResult.ErrorMessage, QStringLiteral("No parser"));
    EXPECT_EQ(broken.APIResponseParserResult, nullptr);
}

TEST_F(APIRequestManagerTest, ShutDownReturnsPromptlyWithRequestsQueued)
{
    Make(10000);
    FManager->Add(1, Data(QStringLiteral("slow")));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Starts() == 1; }));
    for (std::uint32_t id = 2; id <= 4; ++id)
        FManager->Add(id, Data(QStringLiteral("queued")));

    QElapsedTimer timer;
    timer.start();
    FManager->StopThread();
    FManager.reset();
    EXPECT_LT(timer.elapsed(), 1000);

    // The running request still ends; its result finds no manager.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ThreadedObjectsManager->Count() == 0; }));
    EXPECT_TRUE(FDelivered.empty());
    EXPECT_EQ(FServer.Requests().size(), 1u);
}
