#include "requests/THTTPRequestExecutorUnit.h"

#include "support/TestHTTPServer.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

const std::string CyrillicText = "Привет, мир! Ёлка";

THTTPRequestResult Exchange(THTTPRequestExecutor &Executor)
{
    Executor.Start(true);
    return Executor.Result();
}

} // namespace

TEST(HTTPRequestExecutor, GetSendsCookiesAndUpdatesTheJar)
{
    TTestHTTPServer server;
    server.Answer("/page", 200, CyrillicText,
                  {{"Set-Cookie", "a=1; Path=/; HttpOnly"}, {"set-cookie", "b=; expires=Thu, 01 Jan 1970 00:00:00 GMT"},
                   {"Set-Cookie", " c = 3 ;Secure"}},
                  "text/html; charset=windows-1251");
    server.Start();

    THTTPRequestExecutor executor(server.URL(QStringLiteral("/page?x=1")));
    executor.Cookies() = QStringList{QStringLiteral("b=old"), QStringLiteral("a=0"), QStringLiteral("keep=yes")};
    const THTTPRequestResult result = Exchange(executor);

    EXPECT_EQ(result.ResultCode, 0);
    EXPECT_EQ(result.Response, QString::fromStdString(CyrillicText)); // UTF-8 whatever the declared charset
    EXPECT_TRUE(result.ErrorMessage.isEmpty());
    EXPECT_EQ(executor.Cookies(), QStringList({QStringLiteral("a=1"), QStringLiteral("keep=yes"), QStringLiteral("c=3")}));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Target, "/page?x=1");
    EXPECT_EQ(requests[0].Header("Cookie"), "b=old; a=0; keep=yes");
    EXPECT_FALSE(requests[0].HasHeader("Content-Type"));
    EXPECT_FALSE(requests[0].HasHeader("Content-Length"));
    EXPECT_FALSE(requests[0].HasHeader("User-Agent"));
    EXPECT_TRUE(requests[0].Body.empty());
}

TEST(HTTPRequestExecutor, PostSendsEncodedFormAndHeaderLines)
{
    TTestHTTPServer server;
    server.Answer("/form", 200, "ok");
    server.Start();

    THTTPRequestExecutor executor(server.URL(QStringLiteral("/form")));
    executor.PostData() << QStringLiteral("q=a b&c=d") << QStringLiteral("name=Пётр") << QStringLiteral("n=1");
    executor.SetMimeType(QStringLiteral("application/x-www-form-urlencoded"));
    executor.SetOrigin(QStringLiteral("Origin: http://site.test"));
    executor.SetReferer(QStringLiteral("Referer: http://site.test/login"));
    EXPECT_EQ(Exchange(executor).ResultCode, 0);
    EXPECT_TRUE(executor.Cookies().isEmpty());

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Body, "q=a%20b%26c%3Dd&name=%D0%9F%D1%91%D1%82%D1%80&n=1");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Header("Origin"), "http://site.test");
    EXPECT_EQ(requests[0].Header("Referer"), "http://site.test/login");
    EXPECT_FALSE(requests[0].HasHeader("Cookie"));
    EXPECT_FALSE(requests[0].HasHeader("Expect"));
}

TEST(HTTPRequestExecutor, RedirectIsReportedWithItsTargetAndCookiesAndNotFollowed)
{
    TTestHTTPServer server;
    server.Routes().Get("/login", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/feed?from=login", 302);
        response.set_header("Set-Cookie", "sid=abc; path=/");
    });
    server.Answer("/feed", 200, "followed");
    server.Start();

    THTTPRequestExecutor executor(server.URL(QStringLiteral("/login")));
    const THTTPRequestResult result = Exchange(executor);
    EXPECT_EQ(result.ResultCode, 1);
    EXPECT_EQ(result.Location, QStringLiteral("/feed?from=login"));
    EXPECT_TRUE(result.ErrorMessage.isEmpty());
    EXPECT_EQ(executor.Cookies(), QStringList{QStringLiteral("sid=abc")});
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(HTTPRequestExecutor, StatusesGiveTheirCodesWithTheServersReasonPhrase)
{
    struct TCase
    {
        int Status;
        std::string Reason;
        int Code;
        const char *ErrorMessage;
    } cases[] = {
        {404, "Page Went Fishing", 2, "404 Page Went Fishing"},
        {500, "Internal Server Error", 2, "500 Internal Server Error"},
        {303, "See Other", 2, "303 See Other"},
        {304, "Not Modified", 2, "304 Not Modified"},
        {301, "Moved Permanently", 1, ""},
        {307, "Temporary Redirect", 1, ""},
    };
    for (const auto &c : cases) {
        const std::string body = c.Status == 304 ? "" : "<h1>" + c.Reason + "</h1>";
        TRawTestServer server([&](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
            connection.Send(TRawTestServer::Head(c.Status, c.Reason, c.Status == 304 ? -1 : (long long)body.size(),
                                                 {"Location: http://elsewhere.test/x"})
                            + body);
        });
        THTTPRequestExecutor executor(server.URL(QStringLiteral("/missing")));
        const THTTPRequestResult result = Exchange(executor);
        EXPECT_EQ(result.ResultCode, c.Code) << c.Status;
        EXPECT_EQ(result.ErrorMessage, QLatin1String(c.ErrorMessage)) << c.Status;
        EXPECT_EQ(result.Response, QString::fromStdString(body)) << c.Status;
        EXPECT_EQ(result.Location, c.Code == 1 ? QStringLiteral("http://elsewhere.test/x") : QString()) << c.Status;
    }
}

TEST(HTTPRequestExecutor, FailedExchangesAreCode3AndLeaveTheJar)
{
    THTTPRequestExecutor refused(QStringLiteral("http://127.0.0.1:%1/").arg(UnusedLoopbackPort()));
    refused.Cookies() << QStringLiteral("a=1");
    THTTPRequestResult result = Exchange(refused);
    EXPECT_EQ(result.ResultCode, 3);
    EXPECT_TRUE(result.ErrorMessage.startsWith(QStringLiteral("7 "))) << result.ErrorMessage.toStdString();
    EXPECT_TRUE(result.Response.isEmpty());
    EXPECT_EQ(refused.Cookies(), QStringList{QStringLiteral("a=1")});

    // A connection cut in the middle of the body.
    TRawTestServer cut([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", 1000) + std::string(100, 'x'));
    });
    THTTPRequestExecutor partial(cut.URL());
    result = Exchange(partial);
    EXPECT_EQ(result.ResultCode, 3);
    EXPECT_TRUE(result.ErrorMessage.startsWith(QStringLiteral("18 "))) << result.ErrorMessage.toStdString();
    EXPECT_TRUE(result.Response.isEmpty());
}

TEST(HTTPRequestExecutor, StalledServerTimesOutAfterFiveSeconds)
{
    TRawTestServer server([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", 100) + "partial");
        connection.Stall();
    });
    THTTPRequestExecutor executor(server.URL());
    QElapsedTimer timer;
    timer.start();
    const THTTPRequestResult result = Exchange(executor);
    EXPECT_EQ(result.ResultCode, 3);
    EXPECT_TRUE(result.ErrorMessage.startsWith(QStringLiteral("28 "))) << result.ErrorMessage.toStdString();
    // The time-out is the whole-exchange limit of 5000 ms, not a hang.
    EXPECT_GE(timer.elapsed(), 4500);
    EXPECT_LT(timer.elapsed(), 9000);
}
