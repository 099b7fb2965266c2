#include "vkapi/VKAPITestSupport.h"

#include "foundation/InterfaceThreadUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "vkapi/TVKAPICaptchaManagerUnit.h"
#include "vkapi/TVKAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestInvokerUnit.h"
#include "vkapi/TVKAPIResponseParserUnit.h"

#include <QJsonDocument>

namespace {

const QString CaptchaText = QStringLiteral("38516");

QJsonObject Query(std::initializer_list<std::pair<const char *, const char *>> Members)
{
    QJsonObject object;
    for (const auto &[name, value] : Members)
        object.insert(QLatin1String(name), QString::fromUtf8(value));
    return object;
}

class VKAPIManagerTest : public VKAPIStandinTest
{
protected:
    void SetUp() override
    {
        VKAPIStandinTest::SetUp();
        FManager->CaptchaManager().OnCaptchaKeyRequest = [this](TObject *) {
            FCaptchaSIDs.push_back(FManager->CaptchaManager().CaptchaSID());
            FCaptchaImage = FManager->CaptchaManager().CaptchaImageStream();
        };
        FManager->OnUserNameGet = [this](TObject *) { ++FNamesGot; };
    }

    std::vector<QString> FCaptchaSIDs;
    QByteArray FCaptchaImage;
    int FNamesGot = 0;
};

} // namespace

TEST_F(VKAPIManagerTest, UserNameComesFromUsersGetWithTheAPIVersion)
{
    FManager->RequestUserName(0);
    FManager->RequestUserName(1002);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FNamesGot == 1; }));
    EXPECT_EQ(FManager->UserName(), QStringLiteral("Анна Смирнова"));
    // 0 asked nothing; "v" follows the factory's parameters.
    const auto served = Served(QStringLiteral("api"), QStringLiteral("users.get"));
    ASSERT_EQ(served.size(), 1u);
    EXPECT_EQ(served[0], Query({{"user_ids", "1002"}, {"v", "5.37"}}));
}

TEST_F(VKAPIManagerTest, CaptchaRoundTripHoldsBackTheSameMethodAndRetriesWithTheAnswer)
{
    FManager->RequestUserName(1014);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FCaptchaSIDs.size() == 1; }));
    EXPECT_TRUE(FCaptchaImage.startsWith("\x89PNG"));
    // Another "users.get" waits while the captcha is open.
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1001"));

    // A wrong answer meets a new captcha.
    FManager->RequestManager().InputCaptchaKey(FCaptchaSIDs[0], QStringLiteral("00000"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FCaptchaSIDs.size() == 2; }));
    EXPECT_NE(FCaptchaSIDs[1], FCaptchaSIDs[0]);
    FManager->RequestManager().InputCaptchaKey(FCaptchaSIDs[1], CaptchaText);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FNamesGot == 1 && FDelivered.size() == 1; }));
    EXPECT_EQ(FManager->UserName(), QStringLiteral("Captcha Keeper"));
    ASSERT_EQ(FDelivered[0].Code, irOK);
    ASSERT_EQ(FDelivered[0].Users.size(), 1);
    EXPECT_EQ(FDelivered[0].Users[0].FirstName, QStringLiteral("Ivan"));

    std::vector<QJsonObject> captchaUser, otherUser;
    for (const QJsonObject &query : Served(QStringLiteral("api"), QStringLiteral("users.get")))
        (query.value(u"user_ids").toString() == u"1014" ? captchaUser : otherUser).push_back(query);
    ASSERT_EQ(captchaUser.size(), 3u);
    EXPECT_FALSE(captchaUser[0].contains(u"captcha_sid"));
    EXPECT_EQ(captchaUser[1].value(u"captcha_sid").toString(), FCaptchaSIDs[0]);
    EXPECT_EQ(captchaUser[1].value(u"captcha_key").toString(), QStringLiteral("00000"));
    EXPECT_EQ(captchaUser[2].value(u"captcha_sid").toString(), FCaptchaSIDs[1]);
    EXPECT_EQ(captchaUser[2].value(u"captcha_key").toString(), CaptchaText);
    EXPECT_EQ(captchaUser[2].value(u"v").toString(), QStringLiteral("5.37"));
    // The waiting request ran without the answer meant for the other one.
    ASSERT_FALSE(otherUser.empty());
    for (const QJsonObject &query : otherUser)
        EXPECT_EQ(query, Query({{"user_ids", "1001"}, {"v", "5.37"}}));
}

TEST_F(VKAPIManagerTest, ACaptchaWhosePictureCannotBeLoadedFailsItsRequestsAndEndsTheWait)
{
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1404"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 1; }));
    EXPECT_EQ(FDelivered[0].Code, irHTTPFailed);
    EXPECT_EQ(FDelivered[0].HTTPCode, hrException);
    EXPECT_TRUE(FDelivered[0].HTTPError.contains(u"captcha")) << FDelivered[0].HTTPError.toStdString();
    EXPECT_TRUE(FCaptchaSIDs.empty());

    // The method is free again, and the next captcha is asked for.
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1003"));
    FManager->RequestUserName(1014);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 2 && FCaptchaSIDs.size() == 1; }));
    EXPECT_EQ(FDelivered[1].Code, irOK);
}

TEST_F(VKAPIManagerTest, ARefusedTokenThatNothingCanSupplyFailsPlainly)
{
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1004"));
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1001"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 2; }));
    const TDelivery *refused = Delivered(QStringLiteral("1004"));
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->Code, irParserFailed);
    EXPECT_EQ(refused->ParserCode, vkTokenRefused);
    EXPECT_EQ(Delivered(QStringLiteral("1001"))->Code, irOK);
}

TEST_F(VKAPIManagerTest, ASuppliedTokenIsAskedForOnTheInterfaceThreadAndApplied)
{
    bool askedOnInterfaceThread = false;
    TVKAPIRequestManager *manager = nullptr;
    TVKAPIRequestManager tokenManager(QStringLiteral("5.37"), 100, nullptr, [&](TObject *) {
        askedOnInterfaceThread = InterfaceThread::IsCurrent();
        manager->InputToken(QStringLiteral("standin-api-token"));
    });
    manager = &tokenManager;
    AddUsersGet(tokenManager, QStringLiteral("1004"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 1; }));
    EXPECT_TRUE(askedOnInterfaceThread);
    ASSERT_EQ(FDelivered[0].Code, irOK);
    EXPECT_EQ(FDelivered[0].Users.value(0).LastName, QStringLiteral("Holder"));
    const auto served = Served(QStringLiteral("api"), QStringLiteral("users.get"));
    ASSERT_EQ(served.size(), 2u);
    EXPECT_FALSE(served[0].contains(u"access_token"));
    // The token went along (the user answered), and the stand-in's log keeps it hidden.
    EXPECT_EQ(served[1].value(u"access_token").toString(), QStringLiteral("(hidden)"));
    EXPECT_FALSE(FStandin.LogLines().join(u'\n').contains(u"standin-api-token"));
}

TEST_F(VKAPIManagerTest, LogoutDropsEveryPendingEntryAndALaterAnswer)
{
    int starts = 0;
    FManager->RequestManager().SetOnRequestStart([&](TObject *) { ++starts; });
    FManager->RequestUserName(1014);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FCaptchaSIDs.size() == 1; }));
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1002"));
    AddUsersGet(FManager->RequestManager(), QStringLiteral("1003"));
    FManager->Logout();
    FManager->RequestManager().InputCaptchaKey(FCaptchaSIDs[0], CaptchaText);

    AddUsersGet(FManager->RequestManager(), QStringLiteral("1001"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FDelivered.size() == 1; }));
    EXPECT_EQ(FDelivered[0].Tag, QStringLiteral("1001"));
    EXPECT_EQ(FNamesGot, 0);
    EXPECT_TRUE(FManager->UserName().isEmpty());
    QStringList served;
    for (const QJsonObject &query : Served(QStringLiteral("api"), QStringLiteral("users.get")))
        served << query.value(u"user_ids").toString();
    EXPECT_EQ(served, QStringList({QStringLiteral("1014"), QStringLiteral("1001")}));
    EXPECT_EQ(starts, 2);
}

TEST(VKAPIManagerBadAnswers, GiveFailureCodesAndNoName)
{
    // Chosen by "user_ids": each a way a server can fail.
    TRawTestServer server([](const TRecordedRequest &Request, TRawTestServer::TConnection &Connection) {
        const auto answer = [&](int Status, const std::string &Reason, const std::string &Body) {
            Connection.Send(TRawTestServer::Head(
                                Status, Reason, static_cast<long long>(Body.size()), {"Content-Type: application/json"})
                + Body);
        };
        const std::string &target = Request.Target;
        const auto is
            = [&](const char *ID) { return target.find(std::string("user_ids=") + ID + "&") != std::string::npos; };
        if (is("1"))
            answer(200, "OK", "<html>Service unavailable</html>");
        else if (is("2"))
            answer(200, "OK", R"({"result":[{"id":2,"first_name":"No","last_name":"Name"}]})");
        else if (is("3"))
            answer(200, "OK",
                R"({"error":{"error_code":6,"error_msg":"Too many requests per second",)"
                R"("request_params":[{"key":"method","value":"users.get"}]}})");
        else if (is("4"))
            answer(502, "Bad Gateway", "{}");
        else if (is("5"))
            Connection.Send(TRawTestServer::Head(200, "OK", 100) + R"({"response":[)"); // then closes
        else if (is("6"))
            Connection.Stall();
    });
    const TScopedEnvironment api("MARVANE_VK_API_URL", server.URL(QString()));
    ThreadedObjectsManager = new TThreadedObjectsManager();
    {
        TVKAPIManager manager(QStringLiteral("5.37"));
        int names = 0;
        manager.OnUserNameGet = [&](TObject *) { ++names; };
        std::size_t ends = 0;
        manager.RequestManager().SetOnRequestEnd([&](TObject *) { ++ends; });
        struct TCase
        {
            const char *ID;
            TAPIRequestInvokerResultCode Code;
            std::uint8_t ParserCode;
            THTTPRequestResultCode HTTPCode;
            QString Delivered;
        } cases[] = {
            // The stall goes first so that the others run meanwhile.
            {"6", irHTTPFailed, 0, hrTransportError, {}},
            {"1", irParserFailed, vkParseFailed, hrOK, {}},
            {"2", irParserFailed, vkParseFailed, hrOK, {}},
            {"3", irParserFailed, vkAPIError, hrOK, {}},
            {"4", irHTTPFailed, 0, hrHTTPError, {}},
            {"5", irHTTPFailed, 0, hrTransportError, {}},
        };
        std::vector<std::pair<QString, TAPIRequestInvokerResult>> results;
        for (const TCase &c : cases) {
            manager.RequestManager().Add(NewVKOperationID(),
                std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIUsersSelectRequestInvoker>(),
                    TVKAPIRequestFactory::ConstructUsersGetRequest(QLatin1String(c.ID), {}, {}), nullptr,
                    [&results, id = QLatin1String(c.ID)](TObject *Sender) {
                        const auto &invoker = *static_cast<TAPIRequestInvoker *>(Sender);
                        TAPIRequestInvokerResult copy;
                        copy.ResultCode = invoker.Result().ResultCode;
                        copy.HTTPRequestResult = invoker.Result().HTTPRequestResult;
                        if (invoker.APIResult())
                            copy.APIResponseParserResult = CloneOf(*invoker.APIResult());
                        results.emplace_back(id, std::move(copy));
                    }));
        }
        // The object without a user must not be taken for one.
        manager.RequestUserName(2);
        ASSERT_TRUE(
            TestEnvironment::WaitFor([&] { return results.size() == std::size(cases); }, std::chrono::seconds(20)));
        for (const TCase &c : cases) {
            const auto found = std::find_if(
                results.begin(), results.end(), [&](const auto &r) { return r.first == QLatin1String(c.ID); });
            ASSERT_NE(found, results.end()) << c.ID;
            const TAPIRequestInvokerResult &result = found->second;
            EXPECT_EQ(result.ResultCode, c.Code) << c.ID;
            EXPECT_EQ(result.HTTPRequestResult.ResultCode, c.HTTPCode) << c.ID;
            if (c.Code == irParserFailed) {
                ASSERT_NE(result.APIResponseParserResult, nullptr) << c.ID;
                EXPECT_EQ(result.APIResponseParserResult->ResultCode, c.ParserCode) << c.ID;
            }
        }
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ends == std::size(cases) + 1; }));
        EXPECT_EQ(names, 0);
        EXPECT_TRUE(manager.UserName().isEmpty());
    }
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
}

TEST_F(VKAPIManagerTest, TheQueueSleepsWhileEmpty)
{
    using namespace std::chrono_literals;
    // The objects manager and the queue are made after the count starts, so
    // that the reaper and the worker are counted; the stand-in is a process.
    const TNewThreadWakeUps wakeUps;
    FManager.reset();
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = new TThreadedObjectsManager();
    FManager = std::make_unique<TVKAPIManager>(QStringLiteral("5.37"));
    EXPECT_EQ(wakeUps.Over(1s), 0);

    AddUsersGet(FManager->RequestManager(), QStringLiteral("1001"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Delivered(QStringLiteral("1001")) != nullptr; }));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ThreadedObjectsManager->Count() == 0; }));
    EXPECT_EQ(wakeUps.Over(1s), 0);
}
