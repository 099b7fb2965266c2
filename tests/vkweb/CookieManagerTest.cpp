#include "vkweb/TCookieManagerUnit.h"

#include "support/TestEnvironment.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct TSetCookie
{
    const char *URL;
    const char *Header;
};

struct TSent
{
    const char *URL;
    const char *Cookie;
};

struct TJarCase
{
    const char *Rule;
    std::vector<TSetCookie> Set;
    std::vector<TSent> Sent;
};

QUrl Url(const char *Text)
{
    return QUrl(QString::fromUtf8(Text));
}

} // namespace

TEST(CookieManager, FollowsBrowserRules)
{
    const TJarCase cases[] = {
        {"same name, domain and path replaces",
            {{"http://vk.test/", "a=1"}, {"http://vk.test/", "b=2"}, {"http://vk.test/", "a=3"}},
            {{"http://vk.test/", "a=3; b=2"}}},
        {"another path is another cookie; longer paths go first",
            {{"http://vk.test/", "a=1; Path=/"}, {"http://vk.test/", "a=2; Path=/audio"}},
            {{"http://vk.test/audio/list", "a=2; a=1"}, {"http://vk.test/feed", "a=1"}}},
        {"a path matches whole segments only", {{"http://vk.test/", "p=1; Path=/audio"}},
            {{"http://vk.test/audio", "p=1"}, {"http://vk.test/audio/x", "p=1"}, {"http://vk.test/audiobook", ""}}},
        {"without a path the cookie takes the request's folder", {{"http://vk.test/a/b/page", "d=1"}},
            {{"http://vk.test/a/b/other", "d=1"}, {"http://vk.test/a/x", ""}}},
        {"a domain cookie reaches hosts below it, a host cookie only its host",
            {{"http://vk.test/", "d=1; Domain=.VK.test"}, {"http://vk.test/", "h=1"}},
            {{"http://vk.test/", "d=1; h=1"}, {"http://m.vk.test/", "d=1"}, {"http://notvk.test/", ""}}},
        {"a cookie for another site or a bare top-level name is refused",
            {{"http://vk.test/", "x=1; Domain=evil.test"}, {"http://vk.test/", "y=1; Domain=test"},
                {"http://m.vk.test/", "z=1; Domain=vk.test"}},
            {{"http://evil.test/", ""}, {"http://vk.test/", "z=1"}}},
        {"ports do not separate cookies: a login host on another port shares them",
            {{"http://127.0.0.1:1000/", "sid=1"}},
            {{"http://127.0.0.1:2000/feed", "sid=1"}, {"http://127.0.0.2:1000/", ""}}},
        {"secure cookies go over HTTPS only",
            {{"https://vk.test/", "s=1; Secure; HttpOnly"}, {"https://vk.test/", "p=2"}},
            {{"http://vk.test/", "p=2"}, {"https://vk.test/", "s=1; p=2"}}},
        {"an expiry in the past removes the cookie",
            {{"http://vk.test/", "e=1"}, {"http://vk.test/", "f=1"},
                {"http://vk.test/", "e=; Expires=Thu, 01 Jan 1970 00:00:00 GMT"},
                {"http://vk.test/", "f=; Expires=Sunday, 06-Nov-94 08:49:37 GMT"},
                {"http://vk.test/", "g=1; Max-Age=0"}},
            {{"http://vk.test/", ""}}},
        {"Max-Age wins over Expires; the date forms browsers read",
            {{"http://vk.test/", "m=1; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=3600"},
                {"http://vk.test/", "n=1; expires=Wed, 21-Oct-2065 07:28:00 GMT"},
                {"http://vk.test/", "o=1; expires=Wed Oct 21 07:28:00 2065"},
                {"http://vk.test/", "q=1; expires=not a date"}},
            {{"http://vk.test/", "m=1; n=1; o=1; q=1"}}},
        {"a pair without \"=\" or with an empty name is no cookie",
            {{"http://vk.test/", "lonely"}, {"http://vk.test/", "=v"}, {"http://vk.test/", " a = 1 ; Path=/"}},
            {{"http://vk.test/", "a=1"}}},
        {"control characters never get in",
            {{"http://vk.test/", "c=a\x01z"}, {"http://vk.test/", "d=a\rX-Evil: 1"},
                {"http://vk.test/", "e=a\nSet-Cookie: f=1"}, {"http://vk.test/", "g=a\x7f"},
                {"http://vk.test/", "h\tx=1"}, {"http://vk.test/", "ok=1"}},
            {{"http://vk.test/", "ok=1"}}},
    };
    for (const auto &c : cases) {
        TCookieManager jar;
        for (const auto &set : c.Set)
            jar.AddServerCookies({QString::fromUtf8(set.Header)}, Url(set.URL));
        for (const auto &sent : c.Sent)
            EXPECT_EQ(jar.CookieHeader(Url(sent.URL)), QByteArray(sent.Cookie)) << c.Rule << " / " << sent.URL;
    }
}

TEST(CookieManager, RecordsOfferedAsTheOriginAreTakenOnlyWhenTheyBelongToIt)
{
    const QUrl origin(QStringLiteral("https://vk.test"));
    struct TCase
    {
        const char *Domain;
        const char *Path;
        const char *Value;
        bool Taken;
    } cases[] = {
        {"vk.test", "/", "1", true},
        {".vk.test", "/", "1", true},
        {"", "/", "1", false}, // it would match every host
        {"login.vk.test", "/", "1", false},
        {"VK.test", "/", "1", false}, // compared with case
        {"vk.test", "/audio", "1", false},
        {"vk.test", "", "1", true},
        {"vk.test", "/", "a;admin=1", false},
        {"vk.test", "/", "a\r\nX: 1", false},
    };
    for (const auto &c : cases) {
        TCookieManager jar;
        const TCookie cookie {QStringLiteral("n"), QString::fromUtf8(c.Value), {}, QString::fromUtf8(c.Domain),
            QString::fromUtf8(c.Path), false, false};
        EXPECT_EQ(jar.AddCookie(cookie, origin), c.Taken) << c.Domain << c.Path << c.Value;
        EXPECT_EQ(jar.Count(), c.Taken ? 1 : 0) << c.Domain << c.Path;
    }
}

TEST(CookieManager, ExpiredCookiesAreDroppedWhenTheJarIsRead)
{
    TCookieManager jar;
    const QUrl url(QStringLiteral("http://vk.test/"));
    jar.AddServerCookies({QStringLiteral("short=1; Max-Age=1"), QStringLiteral("session=1")}, url);
    EXPECT_EQ(jar.CookieHeader(url), QByteArray("short=1; session=1"));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return jar.Count() == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(jar.CookieHeader(url), QByteArray("session=1"));
    ASSERT_EQ(jar.Cookies().size(), 1);
    EXPECT_TRUE(jar.Cookies().first().IsSession());
}

// 12,000 cookies in one answer, then each replaced and half removed: a jar
// that searches its list for every cookie takes seconds here.
TEST(CookieManager, ManyCookiesKeepTheirOrderThroughReplacementAndRemoval)
{
    constexpr int Count = 12000;
    const QUrl url(QStringLiteral("http://vk.test/"));
    TCookieManager jar;
    QStringList first, second;
    for (int i = 0; i < Count; ++i) {
        first << QStringLiteral("c%1=%1").arg(i);
        second << (i % 2 ? QStringLiteral("c%1=; Max-Age=0").arg(i) : QStringLiteral("c%1=new%1").arg(i));
    }
    jar.AddServerCookies(first, url);
    EXPECT_EQ(jar.Count(), Count);
    jar.AddServerCookies(second, url);
    const QList<TCookie> cookies = jar.Cookies();
    ASSERT_EQ(cookies.size(), Count / 2);
    for (int i = 0; i < Count / 2; ++i) {
        EXPECT_EQ(cookies[i].Name, QStringLiteral("c%1").arg(i * 2));
        EXPECT_EQ(cookies[i].Value, QStringLiteral("new%1").arg(i * 2));
    }
    jar.AddServerCookies({QStringLiteral("c1=back")}, url);
    EXPECT_EQ(jar.Cookies().last().Name, QStringLiteral("c1"));
    EXPECT_EQ(jar.CookieHeader(url).count(';'), Count / 2);
}

TEST(CookieManager, SeveralThreadsShareOneJar)
{
    TCookieManager jar;
    const QUrl url(QStringLiteral("http://vk.test/"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 250; ++i) {
                jar.AddServerCookies(
                    {QStringLiteral("t%1_%2=%2").arg(t).arg(i), QStringLiteral("shared=%1").arg(t)}, url);
                (void)jar.CookieHeader(url);
            }
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(jar.Count(), 4 * 250 + 1);
}
