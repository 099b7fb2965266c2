#include "requests/THTTPRequestExecutorUnit.h"

#include "requests/THTTPClientUnit.h"
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
    executor.Cookies() = QStringList {QStringLiteral("b=old"), QStringLiteral("a=0"), QStringLiteral("keep=yes")};
    const THTTPRequestResult result = Exchange(executor);

    EXPECT_EQ(result.ResultCode, hrOK);
    EXPECT_EQ(result.Response, QString::fromStdString(CyrillicText)); // UTF-8 whatever the declared charset
    EXPECT_TRUE(result.ErrorMessage.isEmpty());
    EXPECT_EQ(
        executor.Cookies(), QStringList({QStringLiteral("a=1"), QStringLiteral("keep=yes"), QStringLiteral("c=3")}));

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
    EXPECT_EQ(Exchange(executor).ResultCode, hrOK);
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
    EXPECT_EQ(result.ResultCode, hrRedirect);
    EXPECT_EQ(result.Location, QStringLiteral("/feed?from=login"));
    EXPECT_TRUE(result.ErrorMessage.isEmpty());
    EXPECT_EQ(executor.Cookies(), QStringList {QStringLiteral("sid=abc")});
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(HTTPRequestExecutor, StatusesGiveTheirCodesWithTheServersReasonPhrase)
{
    struct TCase
    {
        int Status;
        std::string Reason;
        THTTPRequestResultCode Code;
        const char *ErrorMessage;
    } cases[] = {
        {404, "Page Went Fishing", hrHTTPError, "404 Page Went Fishing"},
        {500, "Internal Server Error", hrHTTPError, "500 Internal Server Error"},
        {303, "See Other", hrHTTPError, "303 See Other"},
        {304, "Not Modified", hrHTTPError, "304 Not Modified"},
        {301, "Moved Permanently", hrRedirect, ""},
        {307, "Temporary Redirect", hrRedirect, ""},
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
        EXPECT_EQ(result.Location, c.Code == hrRedirect ? QStringLiteral("http://elsewhere.test/x") : QString())
            << c.Status;
    }
}

TEST(HTTPRequestExecutor, FailedExchangesAreCode3AndLeaveTheJar)
{
    THTTPRequestExecutor refused(QStringLiteral("http://127.0.0.1:%1/").arg(UnusedLoopbackPort()));
    refused.Cookies() << QStringLiteral("a=1");
    THTTPRequestResult result = Exchange(refused);
    EXPECT_EQ(result.ResultCode, hrTransportError);
    EXPECT_TRUE(result.ErrorMessage.startsWith(QStringLiteral("7 "))) << result.ErrorMessage.toStdString();
    EXPECT_TRUE(result.Response.isEmpty());
    EXPECT_EQ(refused.Cookies(), QStringList {QStringLiteral("a=1")});
}

TEST(HTTPRequestExecutor, AnswersThatBreakTheirLengthOrTheLimitFail)
{
    const std::string tooLarge = std::to_string(THTTPClient::MaxMemoryBodySize + 1);
    struct TCase
    {
        const char *Name;
        std::string Head;
        std::size_t BodySize;
        const char *ErrorMessage; // "" for success
        std::size_t ResponseSize;
    } cases[] = {
        {"dropped mid-body", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", 100, "18 ", 0},
        // libcurl goes by the last of the lengths and would take 100 bytes as whole.
        {"two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nContent-Length: 100\r\n\r\n", 100, "18 ", 0},
        {"a list of lengths", "HTTP/1.1 200 OK\r\nContent-Length: 100, 1000\r\n\r\n", 100, "18 ", 0},
        {"an error page dropped mid-body", "HTTP/1.1 404 Not Found\r\nContent-Length: 1000\r\n\r\n", 10, "18 ", 0},
        // Bytes past the announced length are not part of the answer.
        {"too much", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n", 100, "", 50},
        {"announced beyond the limit", "HTTP/1.1 200 OK\r\nContent-Length: " + tooLarge + "\r\n\r\n", 1000, "63 ", 0},
        {"beyond the limit without a length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
            std::size_t(THTTPClient::MaxMemoryBodySize) + 1, "63 ", 0},
        {"up to the limit without a length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n",
            std::size_t(THTTPClient::MaxMemoryBodySize), "", std::size_t(THTTPClient::MaxMemoryBodySize)},
    };
    for (const auto &c : cases) {
        TRawTestServer server([&](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
            if (connection.Send(c.Head))
                connection.Send(std::string(c.BodySize, 'x'));
        });
        THTTPRequestExecutor executor(server.URL());
        const THTTPRequestResult result = Exchange(executor);
        EXPECT_EQ(result.ResultCode, *c.ErrorMessage ? hrTransportError : hrOK) << c.Name;
        EXPECT_EQ(result.ErrorMessage.left(3), QLatin1String(c.ErrorMessage)) << c.Name;
        EXPECT_EQ(std::size_t(result.Response.size()), c.ResponseSize) << c.Name;
    }
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
    EXPECT_EQ(result.ResultCode, hrTransportError);
    EXPECT_TRUE(result.ErrorMessage.startsWith(QStringLiteral("28 "))) << result.ErrorMessage.toStdString();
    // The time-out is the whole-exchange limit of 5000 ms, not a hang.
    EXPECT_GE(timer.elapsed(), 4500);
    EXPECT_LT(timer.elapsed(), 9000);
}
