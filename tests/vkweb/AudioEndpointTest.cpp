#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "support/TestHTTPServer.h"

#include "vkweb/VKWebTestSupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The endpoint's frame around a JSON block, as the site sends it.
QString Framed(const QString &JSON)
{
    return QStringLiteral("<!--18345<!>audio.css,audio.js<!>0<!>6812<!>0<!><!json>") + JSON
        + QStringLiteral("<!><!bool>");
}

QString Track(const QString &AID, const QString &OwnerID, const QString &Title, const QString &Artist,
    const QString &Duration = QStringLiteral("215"), const QString &Hashes = QStringLiteral("\"a1/d1//\""))
{
    return u'[' + AID + u',' + OwnerID + QStringLiteral(",\"\",\"") + Title + QStringLiteral("\",\"") + Artist
        + QStringLiteral("\",") + Duration + QStringLiteral(",0,0,\"\",0,0,\"\",\"[]\",") + Hashes + u']';
}

// A canned "/al_audio.php" whose answer the test sets, sent in Windows-1251.
class AudioEndpoint : public ::testing::Test
{
protected:
    AudioEndpoint()
    {
        FServer.Routes().Post("/al_audio.php", [this](const httplib::Request &, httplib::Response &response) {
            response.status = FStatus;
            response.set_content(ToWindows1251(FAnswer), "text/html; charset=windows-1251");
        });
        FServer.Start();
        FSite = std::make_unique<TScopedEnvironment>("MARVANE_VK_WEB_URL", FServer.URL(QStringLiteral("/")));
    }

    std::string LastBody() const
    {
        const auto requests = FServer.Requests();
        return requests.empty() ? std::string("(none)") : requests.back().Body;
    }

    TTestHTTPServer FServer;
    std::unique_ptr<TScopedEnvironment> FSite;
    TCookieManager FJar;
    QString FAnswer;
    int FStatus = 200;
};

QString FailureOf(const std::function<void()> &Call)
{
    try {
        Call();
    } catch (const Exception &error) {
        return error.Message().isEmpty() ? QStringLiteral("(failed)") : error.Message();
    }
    return {};
}

} // namespace

TEST_F(AudioEndpoint, AUsersListIsPostedAndReadWithCyrillicAndReferences)
{
    FAnswer = Framed(QStringLiteral("{\"list\":[")
        + Track(QStringLiteral("456"), QStringLiteral("-77"), QStringLiteral("Группа крови &amp; &quot;Кино&quot;"),
            QStringLiteral("Виктор Цой"))
        + u','
        + Track(QStringLiteral("\"457\""), QStringLiteral("\"77\""), QStringLiteral("It&#39;s"),
            QStringLiteral("&#x41;BBA"), QStringLiteral("0"))
        + QStringLiteral("],\"type\":\"playlist\"}"));
    const QString json = LoadAudioList(FJar, 77, -2);
    EXPECT_EQ(LastBody(), "act=load_silent&al=1&album_id=-2&band=false&owner_id=77");
    EXPECT_TRUE(json.startsWith(u"{\"list\":[") && json.endsWith(u"\"playlist\"}")) << json.toStdString();

    const QList<TVKAudioRecord> records = ParseAudioList(json);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].AID, 456);
    EXPECT_EQ(records[0].OwnerID, -77);
    EXPECT_EQ(records[0].Title, QStringLiteral("Группа крови & \"Кино\""));
    EXPECT_EQ(records[0].Artist, QStringLiteral("Виктор Цой"));
    EXPECT_EQ(records[0].Duration, 215);
    EXPECT_EQ(records[0].Hashes, QStringLiteral("a1/d1//"));
    EXPECT_TRUE(records[0].URL.isEmpty());
    EXPECT_EQ(records[1].AID, 457);
    EXPECT_EQ(records[1].OwnerID, 77);
    EXPECT_EQ(records[1].Title, QStringLiteral("It's"));
    EXPECT_EQ(records[1].Artist, QStringLiteral("ABBA"));
}

TEST_F(AudioEndpoint, SearchSendsItsFormWithAFreshAlbumNumberEachTime)
{
    FAnswer = Framed(QStringLiteral("{\"list\":[]}"));
    EXPECT_EQ(LoadSearchSection(FJar, QStringLiteral("Кино & Co"), 77, 30), QStringLiteral("{\"list\":[]}"));
    const std::string first = LastBody();
    LoadSearchSection(FJar, QStringLiteral("Кино & Co"), 77, 30);
    const std::string second = LastBody();

    const QRegularExpression form(QStringLiteral(
        "^act=a_load_section&al=1&album_id=-(\\d+)&claim=0&offset=30&owner_id=77&search_history=0&search_lyrics=0"
        "&search_performer=0&search_q=%D0%9A%D0%B8%D0%BD%D0%BE%20%26%20Co&search_sort=0&type=search$"));
    const auto firstMatch = form.match(QString::fromStdString(first));
    const auto secondMatch = form.match(QString::fromStdString(second));
    ASSERT_TRUE(firstMatch.hasMatch()) << first;
    ASSERT_TRUE(secondMatch.hasMatch()) << second;
    for (const auto &match : {firstMatch, secondMatch}) {
        const qint64 album = match.captured(1).toLongLong();
        EXPECT_GE(album, 11);
        EXPECT_LE(album, 1000000009);
    }
    EXPECT_NE(firstMatch.captured(1), secondMatch.captured(1));
}

TEST_F(AudioEndpoint, TrackURLsComeInTheAnswersOrder)
{
    FAnswer = Framed(QStringLiteral("[[\"42\",\"-5\",\"https://cs1.test/a.mp3?extra=%D0\",\"T\"]]"));
    EXPECT_EQ(ReloadAudioURLs(FJar, QStringLiteral("-5_42")),
        QStringList {QStringLiteral("https://cs1.test/a.mp3?extra=%D0")});
    EXPECT_EQ(LastBody(), "act=reload_audio&al=1&ids=-5_42");

    FAnswer = Framed(QStringLiteral("[[1,2,\"u1\"],[3,4,\"u2\",5]]"));
    EXPECT_EQ(
        ReloadAudioURLs(FJar, QStringLiteral("2_1,4_3")), QStringList({QStringLiteral("u1"), QStringLiteral("u2")}));
    EXPECT_EQ(LastBody(), "act=reload_audio&al=1&ids=2_1,4_3");

    FAnswer = Framed(QStringLiteral("[]"));
    EXPECT_TRUE(ReloadAudioURLs(FJar, QStringLiteral("5_42")).isEmpty());

    for (const QString &answer : {QStringLiteral("<html>Please log in</html>"), Framed(QStringLiteral("[[1,2]]")),
             Framed(QStringLiteral("[5]")), Framed(QStringLiteral("[[1,2,{}]]"))}) {
        FAnswer = answer;
        EXPECT_FALSE(FailureOf([&] { ReloadAudioURLs(FJar, QStringLiteral("5_42")); }).isEmpty())
            << answer.toStdString();
    }
}

TEST_F(AudioEndpoint, AddingSendsTheFirstTokenAndReturnsTheCopy)
{
    FAnswer = Framed(Track(QStringLiteral("999"), QStringLiteral("77"), QStringLiteral("Песня"),
        QStringLiteral("Исполнитель"), QStringLiteral("100"), QStringLiteral("\"n1/n2\"")));
    const TVKAudioRecord added = AddAudio(FJar, -5, 42, QStringLiteral("addtok/deltok//"));
    EXPECT_EQ(LastBody(), "act=add&aid=42&al=1&from=search&gid=0&hash=addtok&oid=-5");
    EXPECT_EQ(added.AID, 999);
    EXPECT_EQ(added.OwnerID, 77);
    EXPECT_EQ(added.Title, QStringLiteral("Песня"));
    EXPECT_EQ(added.Hashes, QStringLiteral("n1/n2"));

    AddAudio(FJar, 5, 42, QStringLiteral("back\\slash"));
    EXPECT_EQ(LastBody(), "act=add&aid=42&al=1&from=search&gid=0&hash=back&oid=5");
    AddAudio(FJar, 5, 42, QStringLiteral("whole"));
    EXPECT_EQ(LastBody(), "act=add&aid=42&al=1&from=search&gid=0&hash=whole&oid=5");
    // The site's tokens may hold "+" and "=": they arrive as they were given.
    AddAudio(FJar, 5, 42, QStringLiteral("a+b=&c/d"));
    EXPECT_EQ(LastBody(), "act=add&aid=42&al=1&from=search&gid=0&hash=a%2Bb%3D%26c&oid=5");

    FAnswer = QStringLiteral("<html>Error</html>");
    EXPECT_FALSE(FailureOf([&] { AddAudio(FJar, 5, 42, QStringLiteral("a/b")); }).isEmpty());
}

// The removal was once reported done whatever came back, a login page after
// the session ran out included.
TEST_F(AudioEndpoint, RemovalSucceedsOnlyOnTheEndpointsFramedAnswer)
{
    FAnswer = QStringLiteral("<!--18345<!>audio.css<!>0<!>6812<!>0<!>");
    EXPECT_EQ(FailureOf([&] { DeleteAudio(FJar, -5, 42, QStringLiteral("addtok/deltok//")); }), QString());
    EXPECT_EQ(LastBody(), "act=delete_audio&aid=42&al=1&hash=deltok&oid=-5&restore=1");
    EXPECT_EQ(FailureOf([&] { DeleteAudio(FJar, 5, 42, QStringLiteral("a/d+e=&oid=1")); }), QString());
    EXPECT_EQ(LastBody(), "act=delete_audio&aid=42&al=1&hash=d%2Be%3D%26oid%3D1&oid=5&restore=1");

    FAnswer = QStringLiteral("<!DOCTYPE html><html><form action=\"https://login.vk.com/?act=login\"></form></html>");
    EXPECT_FALSE(FailureOf([&] { DeleteAudio(FJar, 5, 42, QStringLiteral("a/d")); }).isEmpty());
    // The endpoint's own frame with an error code: the token was stale.
    FAnswer = QStringLiteral("<!--18345<!>audio.css<!>0<!>6812<!>8<!>Access denied");
    EXPECT_FALSE(FailureOf([&] { DeleteAudio(FJar, 5, 42, QStringLiteral("a/d")); }).isEmpty());

    const auto sent = FServer.Requests().size();
    EXPECT_FALSE(FailureOf([&] { DeleteAudio(FJar, 5, 42, QStringLiteral("notoken")); }).isEmpty());
    EXPECT_EQ(FServer.Requests().size(), sent);
}

TEST_F(AudioEndpoint, BadAnswersFailTheListOrItsParsing)
{
    const QString good = Track(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("t"), QStringLiteral("a"));
    struct TCase
    {
        const char *Answer;
        QString Text;
        int Status;
        bool LoadFails;
        bool ParseFails;
    } cases[] = {
        {"an HTML error page", QStringLiteral("<html><body><h1>502 Bad Gateway</h1></body></html>"), 502, true, true},
        {"a block over several lines", Framed(QStringLiteral("{\"list\":\n[]}")), 200, true, true},
        {"a list that is an object", Framed(QStringLiteral("{\"list\":{}}")), 200, false, true},
        {"no list", Framed(QStringLiteral("{\"items\":[]}")), 200, false, true},
        {"a track that is no array", Framed(QStringLiteral("{\"list\":[5]}")), 200, false, true},
        {"a duration given as text",
            Framed(QStringLiteral("{\"list\":[") + good + u','
                + Track(QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("t"), QStringLiteral("a"),
                    QStringLiteral("\"215\""))
                + QStringLiteral("]}")),
            200, false, true},
        {"a short track", Framed(QStringLiteral("{\"list\":[[1,2,\"\",\"t\",\"a\",5]]}")), 200, false, true},
        {"a track number that is not one",
            Framed(QStringLiteral("{\"list\":[")
                + Track(QStringLiteral("\"12ab\""), QStringLiteral("2"), QStringLiteral("t"), QStringLiteral("a"))
                + QStringLiteral("]}")),
            200, false, true},
        {"a fraction for a track number",
            Framed(QStringLiteral("{\"list\":[")
                + Track(QStringLiteral("1.5"), QStringLiteral("2"), QStringLiteral("t"), QStringLiteral("a"))
                + QStringLiteral("]}")),
            200, false, true},
        {"a title that is no text",
            Framed(QStringLiteral("{\"list\":[")
                + Track(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("\",5,\""), QStringLiteral("a"))
                + QStringLiteral("]}")),
            200, false, true},
        {"an empty list", Framed(QStringLiteral("{\"list\":[]}")), 200, false, false},
        {"an error status with a good frame", Framed(QStringLiteral("{\"list\":[") + good + QStringLiteral("]}")), 500,
            false, false},
    };
    for (const auto &c : cases) {
        FAnswer = c.Text;
        FStatus = c.Status;
        QString json;
        EXPECT_EQ(!FailureOf([&] { json = LoadAudioList(FJar, 1, -1); }).isEmpty(), c.LoadFails) << c.Answer;
        if (!c.LoadFails) {
            EXPECT_EQ(!FailureOf([&] { ParseAudioList(json); }).isEmpty(), c.ParseFails) << c.Answer;
        }
    }
}

TEST(AudioEndpointBroken, ATruncatedAnswerFailsTheCall)
{
    TRawTestServer server([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        const std::string body = "<!json>{\"list\":[]}<!>";
        connection.Send(TRawTestServer::Head(200, "OK", 200) + body);
    });
    TScopedEnvironment site("MARVANE_VK_WEB_URL", server.URL(QStringLiteral("/")));
    TCookieManager jar;
    EXPECT_FALSE(FailureOf([&] { LoadAudioList(jar, 1, -1); }).isEmpty());
    EXPECT_EQ(server.Requests().size(), 1u);
}

// One odd title once made the whole page fail, and the user lost the list.
TEST(AudioRecords, TitlesWithRunsThatAreNoReferencesKeepTheWholeList)
{
    const QString list = QStringLiteral("{\"list\":[")
        + Track(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("Rock & Roll; Live"), QStringLiteral("AC/DC"))
        + u','
        + Track(QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("Sweet&nbsp;Dreams"),
            QStringLiteral("Eurythmics &unknown; &"))
        + u','
        + Track(QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("&hearts;&#128512;"),
            QStringLiteral("A &amp B &amp; C"))
        + QStringLiteral("]}");
    QList<TVKAudioRecord> records;
    ASSERT_EQ(FailureOf([&] { records = ParseAudioList(list); }), QString());
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].Title, QStringLiteral("Rock & Roll; Live"));
    EXPECT_EQ(records[1].Title, QStringLiteral("Sweet\u00A0Dreams"));
    EXPECT_EQ(records[1].Artist, QStringLiteral("Eurythmics &unknown; &"));
    EXPECT_EQ(records[2].Title, QStringLiteral("\u2665\U0001F600"));
    EXPECT_EQ(records[2].Artist, QStringLiteral("A &amp B & C"));
}

TEST(AudioRecords, UnEntityDecodesReferencesAndLeavesOtherRuns)
{
    struct TCase
    {
        const char *Text;
        const char *Decoded;
    } cases[] = {
        {"&amp;", "&"},
        {"&lt;b&gt; &quot;q&quot;", "<b> \"q\""},
        {"&#39;", "'"},
        {"&#x41;&#X42;&#67;", "ABC"},
        {"&#128512;", "\xF0\x9F\x98\x80"},
        {"&nbsp;&copy;&mdash;&laquo;&raquo;&hellip;", "\xC2\xA0\xC2\xA9\xE2\x80\x94\xC2\xAB\xC2\xBB\xE2\x80\xA6"},
        {"&NotEqualTilde;", "\xE2\x89\x82\xCC\xB8"}, // two code points
        {"&AMP;", "&"},
        {"&Amp;", "&Amp;"}, // names are case-sensitive
        {"&#0;&#xD800;&#x110000;&#99999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"Rock & Roll; Live", "Rock & Roll; Live"},
        {"&unknown;", "&unknown;"},
        {"&amp", "&amp"},
        {"&#;&#x;&#xZZ;&#12a;", "&#;&#x;&#xZZ;&#12a;"},
        {"&&amp;;", "&&;"},
        {"a & b &amp; c", "a & b & c"},
        {"&", "&"},
        {"no references", "no references"},
        {"Привет &amp; пока", "Привет & пока"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UnEntity(QString::fromUtf8(c.Text)), QString::fromUtf8(c.Decoded)) << c.Text;
}

TEST(AudioRecords, NumbersMayComeAsTextAndUnusedPositionsAreIgnored)
{
    const TVKAudioRecord record = ParseAudioRecord(QStringLiteral(
        R"( ["42", "-5", "https://ignored", "T", "A", 61.9, "x", null, {"a":[1,{}]}, [], true, 0, "", "h/d", 7] )"));
    EXPECT_EQ(record.AID, 42);
    EXPECT_EQ(record.OwnerID, -5);
    EXPECT_EQ(record.Duration, 61);
    EXPECT_EQ(record.Hashes, QStringLiteral("h/d"));
    EXPECT_TRUE(record.URL.isEmpty());
    EXPECT_TRUE(record.LyricsID.isEmpty());
    EXPECT_TRUE(record.AlbumID.isEmpty());
}
