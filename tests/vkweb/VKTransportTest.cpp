#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include "foundation/BaseTypesUnit.h"
#include "requests/THTTPClientUnit.h"
#include "support/TestHTTPServer.h"

#include "vkweb/VKWebTestSupport.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// The exchange's failure message, or "" when it succeeded.
QString FailureOf(const std::function<void()> &Exchange)
{
    try {
        Exchange();
    } catch (const Exception &error) {
        return error.Message();
    }
    return {};
}

const TVKTransportTimeouts ShortTimeouts {2000, 300};

} // namespace

TEST(VKTransport, SendsTheBrowserHeadersTheFormAndTheCookies)
{
    TTestHTTPServer server;
    server.Answer("/al_audio.php", 200, "answer", {{"Set-Cookie", "remixsid=new; Path=/"}});
    server.Answer("/feed", 200, "feed");
    server.Start();
    TScopedEnvironment site("MARVANE_VK_WEB_URL", server.URL(QStringLiteral("/")));

    TCookieManager jar;
    jar.AddServerCookies({QStringLiteral("remixlang=0")}, QUrl(server.URL()));
    QByteArray answer = "left over";
    EXPECT_EQ(
        SendVKRequest(server.URL(QStringLiteral("/al_audio.php")), QStringLiteral("act=load_silent&al=1"), jar, answer),
        200);
    EXPECT_EQ(answer, QByteArray("answer"));
    EXPECT_EQ(SendVKRequest(server.URL(QStringLiteral("/feed")), std::nullopt, jar, answer), 200);
    EXPECT_EQ(answer, QByteArray("feed"));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto &post = requests[0];
    EXPECT_EQ(post.Method, "POST");
    EXPECT_EQ(post.Body, "act=load_silent&al=1");
    EXPECT_EQ(post.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(post.Header("User-Agent"),
        "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
        "Chrome/54.0.2840.59 Safari/537.36");
    EXPECT_EQ(post.Header("Accept-Language"), "ru,en-US;q=0.8,en;q=0.6");
    EXPECT_EQ(post.Header("Accept"), "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8");
    EXPECT_EQ(post.Header("Referer"), QStringLiteral("http://127.0.0.1:%1").arg(server.Port()).toStdString());
    EXPECT_EQ(post.Header("Cookie"), "remixlang=0");
    const auto &get = requests[1];
    EXPECT_EQ(get.Method, "GET");
    EXPECT_FALSE(get.HasHeader("Content-Type"));
    EXPECT_TRUE(get.Body.empty());
    EXPECT_EQ(get.Header("Cookie"), "remixlang=0; remixsid=new");
    EXPECT_EQ(get.Header("Referer"), post.Header("Referer"));
}

TEST(VKTransport, FollowsRedirectsWithTheCookiesOfEveryHop)
{
    TTestHTTPServer server;
    server.Routes().Post("/login", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "step1=a; Path=/");
        response.set_redirect("/hop?x=1", 302);
    });
    server.Routes().Get("/hop", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "step2=b; Path=/");
        response.set_redirect("/final#part", 301);
    });
    server.Routes().Get("/final", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "step3=c");
        response.set_content("done", "text/html");
    });
    server.Start();

    TCookieManager jar;
    QByteArray answer;
    EXPECT_EQ(SendVKRequest(server.URL(QStringLiteral("/login")), QStringLiteral("email=a&pass=b"), jar, answer), 200);
    EXPECT_EQ(answer, QByteArray("done"));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_FALSE(requests[0].HasHeader("Cookie"));
    EXPECT_EQ(requests[1].Method, "GET");
    EXPECT_EQ(requests[1].Target, "/hop?x=1");
    EXPECT_EQ(requests[1].Header("Cookie"), "step1=a");
    EXPECT_EQ(requests[2].Target, "/final");
    EXPECT_EQ(requests[2].Header("Cookie"), "step1=a; step2=b");
    EXPECT_EQ(jar.CookieHeader(QUrl(server.URL())), QByteArray("step1=a; step2=b; step3=c"));
}

TEST(VKTransport, APostRedirectedWith301To303GoesOnAsAGetAnd307KeepsTheBody)
{
    for (const int status : {301, 302, 303, 307}) {
        TTestHTTPServer server;
        server.Routes().Post("/form", [status](const httplib::Request &, httplib::Response &response) {
            response.set_redirect("/next", status);
        });
        server.Answer("/next", 200, "next");
        server.Start();

        TCookieManager jar;
        QByteArray answer;
        SendVKRequest(server.URL(QStringLiteral("/form")), QStringLiteral("a=1"), jar, answer);
        EXPECT_EQ(answer, QByteArray("next")) << status;
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u) << status;
        const bool keepsPost = status == 307;
        EXPECT_EQ(requests[1].Method, keepsPost ? "POST" : "GET") << status;
        EXPECT_EQ(requests[1].Body, keepsPost ? "a=1" : "") << status;
        EXPECT_EQ(requests[1].HasHeader("Content-Type"), keepsPost) << status;
    }
}

TEST(VKTransport, FiveRedirectsAreFollowedAndTheSixthFails)
{
    TTestHTTPServer server;
    // "/r/N" sends on to "/r/N-1"; "/r/0" answers.
    server.Routes().Get(R"(/r/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
        const int left = std::stoi(request.matches[1]);
        if (left == 0)
            response.set_content("arrived", "text/plain");
        else
            response.set_redirect("/r/" + std::to_string(left - 1), 302);
    });
    server.Start();

    TCookieManager jar;
    QByteArray answer;
    EXPECT_EQ(
        FailureOf([&] { SendVKRequest(server.URL(QStringLiteral("/r/5")), std::nullopt, jar, answer); }), QString());
    EXPECT_EQ(answer, QByteArray("arrived"));
    EXPECT_EQ(server.Requests().size(), 6u);

    EXPECT_EQ(FailureOf([&] { SendVKRequest(server.URL(QStringLiteral("/r/6")), std::nullopt, jar, answer); }),
        QStringLiteral("Maximum number of redirections (5) exceeded"));
    EXPECT_EQ(server.Requests().size(), 12u);
}

// Each server is run for the exchange; true when the exchange failed.
bool ExchangeFails(const TRawTestServer::THandler &Handler)
{
    TRawTestServer server(Handler);
    TCookieManager jar;
    QByteArray answer;
    return !FailureOf([&] {
        SendVKRequest(server.URL(QStringLiteral("/al_audio.php")), QStringLiteral("a=1"), jar, answer, ShortTimeouts);
    }).isEmpty();
}

TEST(VKTransport, AStalledServerTimesOut)
{
    EXPECT_TRUE(ExchangeFails([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Stall();
    })) << "before answering";
    EXPECT_TRUE(ExchangeFails([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", 100) + "<!json>{");
        connection.Stall();
    })) << "within the body";
}

TEST(VKTransport, BrokenAnswersAndRefusedConnectionsFail)
{
    EXPECT_TRUE(ExchangeFails([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", 100) + "<!json>{\"list\":[");
    })) << "closes before the announced length";
    EXPECT_TRUE(ExchangeFails([](const TRecordedRequest &, TRawTestServer::TConnection &) {}))
        << "closes without answering";
    EXPECT_TRUE(ExchangeFails([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send("\x16\x03\x01 this is not HTTP\r\n\r\n");
    })) << "answers garbage";

    TCookieManager jar;
    QByteArray answer;
    EXPECT_FALSE(FailureOf([&] {
        SendVKRequest(
            QStringLiteral("http://127.0.0.1:%1/").arg(UnusedLoopbackPort()), std::nullopt, jar, answer, ShortTimeouts);
    }).isEmpty());
}

// An answer that never ends is cut off, however steadily it comes: by the
// exchange's deadline when it trickles, by the size cap when it floods. Each
// server gives up after a while and ends its answer, which an uncapped
// exchange would then take as complete.
TEST(VKTransport, EndlessAndOversizedAnswersAreCutOff)
{
    using namespace std::chrono_literals;
    // A short deadline for the trickle; time enough for a slow (sanitized)
    // build to take the flood up to the cap.
    const TVKTransportTimeouts deadline {2000, 1000, 1500};
    const TVKTransportTimeouts patient {2000, 10000, 120000};
    const qint64 tooLarge = THTTPClient::MaxMemoryBodySize + 1;
    const struct
    {
        const char *Name;
        TRawTestServer::THandler Handler;
        TVKTransportTimeouts Timeouts;
        const char *Failure;
    } cases[] = {
        {"trickles a byte every 50 ms",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", -1));
                const auto giveUp = std::chrono::steady_clock::now() + 10s;
                while (std::chrono::steady_clock::now() < giveUp && connection.Send("a"))
                    std::this_thread::sleep_for(50ms);
            },
            deadline, "took over 1500 ms"},
        {"floods without a length",
            [tooLarge](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", -1));
                const std::string block(1 << 20, 'b');
                for (qint64 sent = 0; sent < tooLarge + qint64(block.size()) && connection.Send(block);)
                    sent += qint64(block.size());
            },
            patient, "Maximum file size exceeded"},
        {"announces too much",
            [tooLarge](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", tooLarge) + "<!json>{");
                connection.Stall();
            },
            patient, "Maximum file size exceeded"},
    };
    for (const auto &c : cases) {
        TRawTestServer server(c.Handler);
        TCookieManager jar;
        QByteArray answer;
        const QString failure = FailureOf([&] {
            SendVKRequest(server.URL(QStringLiteral("/al_audio.php")), QStringLiteral("a=1"), jar, answer, c.Timeouts);
        });
        EXPECT_TRUE(failure.contains(QLatin1String(c.Failure))) << c.Name << ": " << failure.toStdString();
        EXPECT_LE(answer.size(), THTTPClient::MaxMemoryBodySize) << c.Name;
    }
}

TEST(VKTransport, ASteadyAnswerWithoutLengthIsTakenWhole)
{
    TRawTestServer server([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", -1, {"Set-Cookie: kept=1"}));
        for (int i = 0; i < 5; ++i)
            connection.Send(std::string(1000, char('a' + i)));
    });
    TCookieManager jar;
    QByteArray answer;
    EXPECT_EQ(SendVKRequest(server.URL(QStringLiteral("/x")), std::nullopt, jar, answer, ShortTimeouts), 200);
    EXPECT_EQ(answer.size(), 5000);
    EXPECT_TRUE(answer.endsWith(QByteArray(1000, 'e')));
    EXPECT_EQ(jar.Count(), 1);
}

TEST(VKTransport, ExtractRegExGroupTakesGroupOneOfTheFirstMatch)
{
    struct TCase
    {
        const char *Text;
        const char *Pattern;
        const char *Group;
    } cases[] = {
        {"a<!json>{\"x\":1}<!>b<!json>{\"y\":2}<!>", "<!json>({.*?})<!>", "{\"x\":1}"},
        {"<!json>{\"x\":\n1}<!>", "<!json>({.*?})<!>", ""}, // "." stops at line feeds
        {"no markers", "<!json>({.*?})<!>", ""},
        {"id: 12345, name", "id: (.*?),", "12345"},
        {"ID: 1,", "id: (.*?),", ""}, // case-sensitive
        {"abc", "b", ""}, // no group
        {"abc", "(", ""}, // not a pattern
        {"xab", "(a*?)b", "a"}, // an empty match does not count
        {"<!json>[\"1\",\"u\"]]<!>", "<!json>(\\[.*?\"\\])", "[\"1\",\"u\"]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(
            ExtractRegExGroup(QString::fromUtf8(c.Text), QString::fromUtf8(c.Pattern)), QString::fromUtf8(c.Group))
            << c.Text << " ~ " << c.Pattern;
}

TEST(VKTransport, AudioAnswersAreReadAsWindows1251)
{
    EXPECT_EQ(DecodeWindows1251(QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xEB\xEA\xE0 \x96 \xB9")),
        QStringLiteral("Привет, Ёлка – №"));
}
