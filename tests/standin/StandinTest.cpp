// marvane-standin as a client meets it: a real process on loopback ports,
// spoken to over plain HTTP with a small cookie-keeping browser.
#include "support/ChildProcess.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString FromWindows1251(const std::string &Bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(QByteArray::fromStdString(Bytes));
}

// Group 1 of the first match, or "".
QString Extract(const QString &Text, const QString &Pattern)
{
    return QRegularExpression(Pattern).match(Text).captured(1);
}

QString FormEncode(const QString &Value)
{
    return QString::fromLatin1(Value.toUtf8().toPercentEncoding("!$'()*-.@_", " ")).replace(u' ', u'+');
}

struct TAnswer
{
    int Status = 0;
    std::string Body;
    httplib::Headers Headers;
    QString Text() const { return FromWindows1251(Body); }
};

// Keeps the cookies of every answer (the hosts differ only by port, so they
// share them) and follows up to five redirects, a POST turning into a GET.
class TBrowser
{
public:
    std::map<std::string, std::string> Cookies;

    TAnswer Get(const QString &URL, const httplib::Headers &Extra = {}) { return Send(URL, {}, false, Extra); }
    TAnswer Post(const QString &URL, const QString &Form) { return Send(URL, Form.toStdString(), true, {}); }

private:
    TAnswer Send(QString URL, std::string Body, bool IsPost, const httplib::Headers &Extra)
    {
        for (int redirects = 0; redirects <= 5; ++redirects) {
            const QString origin = URL.section(u'/', 0, 2);
            httplib::Client client(origin.toStdString());
            httplib::Headers headers = Extra;
            std::string cookie;
            for (const auto &[name, value] : Cookies)
                cookie += name + '=' + value + "; ";
            if (!cookie.empty())
                headers.emplace("Cookie", cookie);
            const std::string target = URL.mid(origin.size()).toStdString();
            const httplib::Result result = IsPost
                ? client.Post(target.c_str(), headers, Body, "application/x-www-form-urlencoded")
                : client.Get(target.c_str(), headers);
            if (!result)
                return {};
            for (const auto &[name, value] : result->headers)
                if (name == "Set-Cookie")
                    Keep(value);
            if (result->status < 300 || result->status > 303)
                return {result->status, result->body, result->headers};
            const QString location = QString::fromStdString(result->get_header_value("Location"));
            URL = location.startsWith(u'/') ? origin + location : location;
            IsPost = false;
            Body.clear();
        }
        return {};
    }

    void Keep(const std::string &SetCookie)
    {
        const std::string pair = SetCookie.substr(0, SetCookie.find(';'));
        const std::size_t equals = pair.find('=');
        if (SetCookie.find("Expires=Thu, 01 Jan 1970") != std::string::npos)
            Cookies.erase(pair.substr(0, equals));
        else
            Cookies[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
};

class StandinTest : public ::testing::Test
{
protected:
    QTemporaryDir FDir;
    TChildProcess FProcess;
    QString FWeb, FLogin;

    void SetUp() override { Start(); }

    void TearDown() override
    {
        if (!FProcess.IsRunning())
            return;
        FProcess.CloseInput(); // --exit-on-stdin-eof
        EXPECT_TRUE(FProcess.WaitForExit(std::chrono::seconds(5)));
        EXPECT_TRUE(FProcess.ExitedNormally());
        EXPECT_EQ(FProcess.ExitCode(), 0);
    }

    QString LogPath() const { return FDir.filePath(u"requests.log"_s); }

    void Start(const QStringList &Options = {})
    {
        ASSERT_TRUE(FProcess.Start(QStringLiteral(MARVANE_STANDIN_PROGRAM),
            QStringList {
                u"--web-port"_s, u"0"_s, u"--login-port"_s, u"0"_s, u"--log"_s, LogPath(), u"--exit-on-stdin-eof"_s}
                + Options));
        FProcess.WaitFor([this] { return FProcess.Output().contains("ready\n"); }, std::chrono::seconds(10));
        const QString output = QString::fromLatin1(FProcess.Output());
        FWeb = Extract(output, u"^MARVANE_VK_WEB_URL=(http://127\\.0\\.0\\.1:\\d+)$"_s.prepend(u"(?m)"_s));
        FLogin = Extract(output, u"(?m)^MARVANE_VK_LOGIN_URL=(http://127\\.0\\.0\\.1:\\d+)$"_s);
        ASSERT_TRUE(output.endsWith(u"ready\n")) << output.toStdString();
        ASSERT_FALSE(FWeb.isEmpty());
        ASSERT_FALSE(FLogin.isEmpty());
        ASSERT_NE(FWeb, FLogin);
    }

    // Loads the front page for its tokens and posts the login form as the site's own page would.
    TAnswer SignIn(TBrowser &Browser, const QString &Login, const QString &Password, const QString &CaptchaSid = {},
        const QString &CaptchaKey = {}, const QString &LoginFormHash = {})
    {
        const QString front = Browser.Get(FWeb + u"/"_s).Text();
        const QString ipHash = Extract(front, u"name=\"ip_h\" value=\"(.*?)\""_s);
        const QString lgHash
            = LoginFormHash.isEmpty() ? Extract(front, u"name=\"lg_h\" value=\"(.*?)\""_s) : LoginFormHash;
        EXPECT_FALSE(ipHash.isEmpty());
        EXPECT_FALSE(lgHash.isEmpty());
        return Browser.Post(FLogin + u"/?act=login"_s,
            u"act=login&role=al_frame&expire=&captcha_sid=%1&captcha_key=%2&_origin=%3&ip_h=%4&lg_h=%5"
            "&email=%6&pass=%7"_s.arg(CaptchaSid, FormEncode(CaptchaKey),
                QString(FWeb).replace(u":"_s, u"%3A"_s).replace(u"/"_s, u"%2F"_s), ipHash, lgHash, FormEncode(Login),
                FormEncode(Password)));
    }

    QString FeedUserID(TBrowser &Browser) { return Extract(Browser.Get(FWeb + u"/feed"_s).Text(), u"id: (.*?),"_s); }

    TAnswer Audio(TBrowser &Browser, const QString &Form) { return Browser.Post(FWeb + u"/al_audio.php"_s, Form); }

    QJsonObject AudioObject(TBrowser &Browser, const QString &Form)
    {
        const QString json = Extract(Audio(Browser, Form).Text(), u"<!json>({.*?})<!>"_s);
        return QJsonDocument::fromJson(json.toUtf8()).object();
    }

    QJsonArray MyMusic(TBrowser &Browser)
    {
        return AudioObject(Browser, u"act=load_silent&al=1&album_id=-2&band=false&owner_id=1001"_s)[u"list"].toArray();
    }

    // The URL the site hands out for "OWNER_AID".
    QString TrackURL(TBrowser &Browser, const QString &ID)
    {
        const QString json
            = Extract(Audio(Browser, u"act=reload_audio&al=1&ids="_s + ID).Text(), u"<!json>(\\[.*?\\])<!>"_s);
        return QJsonDocument::fromJson(json.toUtf8()).array()[0].toArray()[2].toString();
    }

    QJsonArray SearchPage(TBrowser &Browser, const QString &Query, int Offset)
    {
        return AudioObject(Browser,
            u"act=a_load_section&al=1&album_id=-%1&claim=0&offset=%2&owner_id=1001"
            "&search_history=0&search_lyrics=0&search_performer=0&search_q=%3&search_sort=0"
            "&type=search"_s.arg(QString::number(Offset + 11), QString::number(Offset), FormEncode(Query)))[u"list"]
            .toArray();
    }
};

TEST_F(StandinTest, PlainSignInSetsTheSessionCookiesAndFeedShowsTheUser)
{
    TBrowser browser;
    EXPECT_EQ(FeedUserID(browser), u"0"_s) << "a guest's feed is the login page with identifier 0";

    const QString done = SignIn(browser, u"Plain@Marvane.test"_s, u"plain-pass"_s).Text();
    EXPECT_TRUE(done.contains(u"parent.onLoginDone"_s)) << done.toStdString();
    EXPECT_FALSE(done.contains(u"parent.onLoginFailed"_s));
    for (const char *cookie : {"p", "remixsid", "remixstid"})
        EXPECT_TRUE(browser.Cookies.contains(cookie)) << cookie;
    EXPECT_EQ(FeedUserID(browser), u"1001"_s);

    // The browser-session cookie is part of the session: without it nobody is signed in.
    TBrowser withoutSessionCookie;
    withoutSessionCookie.Cookies = browser.Cookies;
    withoutSessionCookie.Cookies.erase("remixstid");
    EXPECT_EQ(FeedUserID(withoutSessionCookie), u"0"_s);
}

TEST_F(StandinTest, LoginAnswersCarryTheMarkersOfEachOutcome)
{
    struct TCase
    {
        QString Login, Password, LoginFormHash, Marker;
    } cases[] = {
        {u"plain@marvane.test"_s, u"wrong"_s, {}, u"parent.onLoginFailed"_s},
        {u"nobody@marvane.test"_s, u"plain-pass"_s, {}, u"parent.onLoginFailed"_s},
        {u"captcha@marvane.test"_s, u"captcha-pass"_s, {}, u"parent.onLoginCaptcha('"_s},
        {u"twostep@marvane.test"_s, u"twostep-pass"_s, {}, u"parent.location.href='/login?act=authcheck'"_s},
        // A form token the site never issued: a security page without any marker.
        {u"plain@marvane.test"_s, u"plain-pass"_s, u"0000"_s, {}},
    };
    const QStringList markers
        = {u"parent.onLoginFailed"_s, u"parent.onLoginCaptcha"_s, u"parent.location.href"_s, u"parent.onLoginDone"_s};
    for (const TCase &test : cases) {
        TBrowser browser;
        const QString page = SignIn(browser, test.Login, test.Password, {}, {}, test.LoginFormHash).Text();
        for (const QString &marker : markers)
            EXPECT_EQ(page.contains(marker), !test.Marker.isEmpty() && test.Marker.startsWith(marker))
                << test.Login.toStdString() << " " << marker.toStdString();
        EXPECT_EQ(FeedUserID(browser), u"0"_s) << test.Login.toStdString();
    }
}

TEST_F(StandinTest, CaptchaShowsAPngAndTheRightTextSignsIn)
{
    TBrowser browser;
    const QString pattern = u"onLoginCaptcha\\('(.*?)',"_s;
    const QString first = Extract(SignIn(browser, u"captcha@marvane.test"_s, u"captcha-pass"_s).Text(), pattern);
    ASSERT_FALSE(first.isEmpty());

    const TAnswer image = browser.Get(FWeb + u"/captcha.php?sid="_s + first);
    EXPECT_EQ(image.Status, 200);
    const QImage picture = QImage::fromData(QByteArray::fromStdString(image.Body), "PNG");
    EXPECT_EQ(picture.size(), QSize(130, 50));

    // A wrong text uses the captcha up and asks a new one.
    const QString second
        = Extract(SignIn(browser, u"captcha@marvane.test"_s, u"captcha-pass"_s, first, u"11111"_s).Text(), pattern);
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(second, first);
    EXPECT_EQ(browser.Get(FWeb + u"/captcha.php?sid="_s + first).Status, 404);

    const QString done = SignIn(browser, u"captcha@marvane.test"_s, u"captcha-pass"_s, second, u"38516"_s).Text();
    EXPECT_TRUE(done.contains(u"parent.onLoginDone"_s)) << done.toStdString();
    EXPECT_EQ(FeedUserID(browser), u"1002"_s);
}

TEST_F(StandinTest, TwoStepCheckRejectsAWrongCodeAndAcceptsTheRightOne)
{
    TBrowser browser;
    SignIn(browser, u"twostep@marvane.test"_s, u"twostep-pass"_s);
    const QString hash = Extract(browser.Get(FWeb + u"/login?act=authcheck"_s).Text(), u"hash: '([a-z_0-9]+)'"_s);
    ASSERT_FALSE(hash.isEmpty());

    auto post = [&](const QString &Code) {
        return browser
            .Post(FWeb + u"/al_login.php"_s, u"act=a_authcheck_code&al=1&code=%1&hash=%2&remember=1"_s.arg(Code, hash))
            .Text();
    };
    EXPECT_FALSE(post(u"654321"_s).contains(u"login.php"_s));
    EXPECT_EQ(FeedUserID(browser), u"0"_s);
    EXPECT_TRUE(post(u"123456"_s).contains(u"login.php"_s));
    EXPECT_EQ(FeedUserID(browser), u"1003"_s);
    EXPECT_FALSE(post(u"123456"_s).contains(u"login.php"_s)) << "a check is used up by its right code";
}

TEST_F(StandinTest, AudioAnswersAreWindows1251FramesWithCyrillicAndReferencesIntact)
{
    TBrowser browser;
    const TAnswer guest = Audio(browser, u"act=load_silent&al=1&album_id=-2&band=false&owner_id=1001"_s);
    EXPECT_FALSE(guest.Text().contains(u"<!json>"_s)) << "without a session the site shows its login page";

    SignIn(browser, u"plain@marvane.test"_s, u"plain-pass"_s);
    const TAnswer answer = Audio(browser, u"act=load_silent&al=1&album_id=-2&band=false&owner_id=1001"_s);
    EXPECT_NE(answer.Body.find("\xD1\xE5\xE2\xE5\xF0\xED\xFB\xE5"), std::string::npos)
        << "\"Северные\" in Windows-1251";
    const QJsonArray list = MyMusic(browser);
    ASSERT_EQ(list.size(), 40);
    QStringList titles;
    for (const QJsonValue &record : list) {
        const QJsonArray track = record.toArray();
        ASSERT_GE(track.size(), 14);
        EXPECT_TRUE(track[5].isDouble());
        EXPECT_EQ(track[13].toString().count(u'/'), 3);
        titles << track[3].toString();
    }
    EXPECT_EQ(titles.first(), u"Rock & Roll; Live"_s);
    for (const QString &title : {u"Тишина&nbsp;(Remix)"_s, u"&quot;Ёлка&quot; — версия 2"_s, u"Don&#39;t Stop"_s,
             u"Live &amp; Unplugged"_s, u"&#128512; Улыбка"_s})
        EXPECT_TRUE(titles.contains(title)) << title.toStdString();

    // Search pages of 50 cover the catalogue exactly once; the query ignores case.
    QSet<QString> seen;
    int pages = 0;
    for (QJsonArray page; pages == 0 || !page.isEmpty(); ++pages) {
        page = SearchPage(browser, {}, pages * 50);
        EXPECT_LE(page.size(), 50);
        for (const QJsonValue &record : page)
            seen.insert(u"%1_%2"_s.arg(record[1].toInt()).arg(record[0].toInt()));
    }
    EXPECT_GT(seen.size(), 300);
    EXPECT_EQ(pages, (seen.size() + 49) / 50 + 1);
    const QJsonArray found = SearchPage(browser, u"ночной ГОРОД"_s, 0);
    ASSERT_FALSE(found.isEmpty());
    for (const QJsonValue &record : found)
        EXPECT_TRUE((record[3].toString() + record[4].toString()).contains(u"Ночной город"_s, Qt::CaseInsensitive));
}

TEST_F(StandinTest, MyMusicAddAndDeleteChangeTheListAndCheckTheirHashes)
{
    TBrowser browser;
    SignIn(browser, u"plain@marvane.test"_s, u"plain-pass"_s);
    const QJsonArray source = SearchPage(browser, u"Песня о море"_s, 0)[0].toArray();
    const QStringList hashes = source[13].toString().split(u'/');
    const QString add = u"act=add&aid=%1&al=1&from=search&gid=0&hash=%2&oid=%3"_s;

    EXPECT_FALSE(
        Audio(browser, add.arg(source[0].toInt()).arg(hashes[1]).arg(source[1].toInt())).Text().contains(u"<!json>"_s))
        << "the removal token does not add";
    const QString added
        = Extract(Audio(browser, add.arg(source[0].toInt()).arg(hashes[0]).arg(source[1].toInt())).Text(),
            u"<!json>(\\[.*?\"\\])"_s);
    const QJsonArray copy = QJsonDocument::fromJson(added.toUtf8()).array();
    ASSERT_GE(copy.size(), 14) << added.toStdString();
    EXPECT_EQ(copy[1].toString(), u"1001"_s);
    EXPECT_EQ(copy[3], source[3]);
    EXPECT_EQ(MyMusic(browser)[0].toArray()[0].toInt(), copy[0].toString().toInt()) << "the copy comes first";
    EXPECT_EQ(MyMusic(browser).size(), 41);

    const QString remove = u"act=delete_audio&aid=%1&al=1&hash=%2&oid=1001&restore=1"_s.arg(
        copy[0].toString(), copy[13].toString().split(u'/')[1]);
    const QString removed = Audio(browser, remove).Text();
    EXPECT_TRUE(removed.startsWith(u"<!--"_s) && removed.contains(u"<!json>"_s)) << removed.toStdString();
    EXPECT_EQ(MyMusic(browser).size(), 40);
    EXPECT_FALSE(Audio(browser, remove).Text().contains(u"<!json>"_s)) << "a second removal finds nothing";
}

TEST_F(StandinTest, TrackURLsServeWholeTonesAndByteRanges)
{
    TBrowser browser;
    SignIn(browser, u"plain@marvane.test"_s, u"plain-pass"_s);
    int blocked = 0;
    QSet<QString> files;
    for (const QJsonValue &value : SearchPage(browser, {}, 0)) {
        const QJsonArray record = value.toArray();
        const QString id = u"%1_%2"_s.arg(record[1].toInt()).arg(record[0].toInt());
        const QString json
            = Extract(Audio(browser, u"act=reload_audio&al=1&ids="_s + id).Text(), u"<!json>(\\[.*?\\])<!>"_s);
        const QJsonArray urls = QJsonDocument::fromJson(json.toUtf8()).array();
        ASSERT_EQ(urls.size(), 1) << id.toStdString();
        const QString url = urls[0].toArray()[2].toString();
        if (url.isEmpty()) {
            ++blocked;
            continue;
        }
        ASSERT_TRUE(url.startsWith(FWeb + u"/audio/"_s)) << url.toStdString();
        const QString name = url.section(u'/', 4).section(u'?', 0, 0);
        if (files.contains(name))
            continue;
        files.insert(name);

        QFile file(QDir(QStringLiteral(MARVANE_STANDIN_AUDIO)).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const std::string bytes = file.readAll().toStdString();
        // 64 kbit/s: 8000 bytes a second, so the catalogue's duration matches the file.
        EXPECT_NEAR(double(bytes.size()) / 8000.0, record[5].toDouble(), 0.5) << name.toStdString();

        const TAnswer whole = browser.Get(url);
        EXPECT_EQ(whole.Status, 200);
        EXPECT_EQ(whole.Body, bytes);
        const auto length = whole.Headers.find("Content-Length");
        ASSERT_NE(length, whole.Headers.end());
        EXPECT_EQ(length->second, std::to_string(bytes.size()));
        const TAnswer part = browser.Get(url, {{"Range", "bytes=1000-1999"}});
        EXPECT_EQ(part.Status, 206);
        EXPECT_EQ(part.Body, bytes.substr(1000, 1000));
        EXPECT_EQ(browser.Get(url, {{"Range", "bytes=99999999-"}}).Status, 416);
    }
    EXPECT_GT(files.size(), 1);
    EXPECT_GT(blocked, 0) << "some tracks are blocked and get an empty URL";
}

// A stand-in started by the test itself, with options.
class StandinOptionsTest : public StandinTest
{
protected:
    void SetUp() override { }
};

TEST_F(StandinOptionsTest, MyMusicSizeGivesThePlainAccountThatManyTracksNewestFirst)
{
    constexpr int size = 1000; // three times round the catalogue
    Start({u"--my-music-size"_s, QString::number(size)});
    TBrowser browser;
    SignIn(browser, u"plain@marvane.test"_s, u"plain-pass"_s);
    const QJsonArray list = MyMusic(browser);
    ASSERT_EQ(list.size(), size);
    QSet<int> aids;
    for (int i = 0; i < list.size(); ++i) {
        const QJsonArray record = list[i].toArray();
        EXPECT_EQ(record[1].toInt(), 1001);
        EXPECT_EQ(record[0].toInt(), size - i) << "newest on top";
        aids.insert(record[0].toInt());
    }
    EXPECT_EQ(aids.size(), size) << "each copy is a track of its own";
    EXPECT_TRUE(TrackURL(browser, u"1001_%1"_s.arg(size)).startsWith(FWeb + u"/audio/"_s));
}

TEST_F(StandinOptionsTest, ARateTricklesTheFilesAndABrokenTrackStopsHalfWay)
{
    // Two of the plain account's 3-second tracks: 24,000 bytes each.
    Start({u"--audio-rate"_s, u"40000"_s, u"--broken-track"_s, u"1001_36"_s});
    TBrowser browser;
    SignIn(browser, u"plain@marvane.test"_s, u"plain-pass"_s);
    for (const QJsonValue &value : MyMusic(browser)) {
        if (value[0].toInt() == 40 || value[0].toInt() == 36) {
            ASSERT_EQ(value[5].toInt(), 3);
        }
    }
    // Received pieces and when they came, over one connection of the client's own.
    struct TReceived
    {
        std::string Body;
        std::vector<std::chrono::steady_clock::time_point> Times;
        bool Whole = false;
    };
    const auto fetch = [](const QString &URL, const httplib::Headers &Headers = {}) {
        TReceived received;
        httplib::Client client(URL.section(u'/', 0, 2).toStdString());
        const httplib::Result result = client.Get(URL.section(u'/', 3).prepend(u'/').toStdString().c_str(), Headers,
            [&received](const char *Data, std::size_t Length) {
                received.Body.append(Data, Length);
                received.Times.push_back(std::chrono::steady_clock::now());
                return true;
            });
        received.Whole = bool(result);
        return received;
    };

    const QString paced = TrackURL(browser, u"1001_40"_s);
    const QString name = paced.section(u'/', 4).section(u'?', 0, 0);
    QFile file(QDir(QStringLiteral(MARVANE_STANDIN_AUDIO)).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const std::string bytes = file.readAll().toStdString();
    ASSERT_GT(bytes.size(), 8000u);

    const TReceived whole = fetch(paced);
    EXPECT_TRUE(whole.Whole);
    EXPECT_EQ(whole.Body, bytes);
    // 4,000 bytes each tenth of a second: never faster than the pauses between them.
    ASSERT_GE(whole.Times.size(), 2u);
    const auto spread = whole.Times.back() - whole.Times.front();
    EXPECT_GE(spread, std::chrono::milliseconds(100) * (int(bytes.size() / 4000) - 1));
    const TReceived part = fetch(paced, {{"Range", "bytes=1000-8999"}});
    EXPECT_EQ(part.Body, bytes.substr(1000, 8000)) << "ranges come paced too";

    const QString brokenURL = TrackURL(browser, u"1001_36"_s);
    QFile brokenFile(
        QDir(QStringLiteral(MARVANE_STANDIN_AUDIO)).filePath(brokenURL.section(u'/', 4).section(u'?', 0, 0)));
    ASSERT_TRUE(brokenFile.open(QIODevice::ReadOnly));
    const std::string brokenBytes = brokenFile.readAll().toStdString();
    const TReceived broken = fetch(brokenURL);
    EXPECT_FALSE(broken.Whole) << "the answer ends short of its Content-Length";
    EXPECT_EQ(broken.Body, brokenBytes.substr(0, brokenBytes.size() / 2));
}

TEST_F(StandinOptionsTest, TheUpdateHostOffersWhatItIsToldAndEachAnswerUnderItsPrefix)
{
    Start({u"--update"_s, u"garbage"_s});
    const QString update
        = Extract(QString::fromLatin1(FProcess.Output()), u"(?m)^MARVANE_UPDATE_URL=(http://127\\.0\\.0\\.1:\\d+)$"_s);
    ASSERT_FALSE(update.isEmpty());
    TBrowser browser;
    const auto file = [&](const QString &Prefix) { return browser.Get(update + Prefix + u"/updates/30.txt"_s); };
    EXPECT_TRUE(file(QString()).Body.starts_with("<!DOCTYPE html>")) << "the option's answer";
    EXPECT_EQ(file(QString()).Status, 200);
    const QStringList equal = QString::fromStdString(file(u"/equal"_s).Body).split(u"\r\n"_s);
    EXPECT_EQ(equal.value(0), QStringLiteral(MARVANE_PROJECT_VERSION));
    EXPECT_EQ(equal.size(), 8);
    EXPECT_TRUE(equal.value(6).isEmpty()) << "the features end at an empty line";
    const QString newer = QString::fromStdString(file(u"/newer"_s).Body).section(u"\r\n"_s, 0, 0);
    const QStringList own = QStringLiteral(MARVANE_PROJECT_VERSION).split(u'.');
    EXPECT_EQ(newer, u"%1.%2.0.0"_s.arg(own[0]).arg(own[1].toInt() + 1));
    EXPECT_TRUE(file(u"/4.5.6.7"_s).Body.starts_with("4.5.6.7\r\n"));
    EXPECT_EQ(file(u"/none"_s).Status, 404);
    EXPECT_EQ(file(u"/nonsense"_s).Status, 404);
    for (const QString &prefix : {QString(), u"/equal"_s}) {
        const TAnswer page = browser.Get(update + prefix + u"/download/"_s);
        EXPECT_EQ(page.Status, 200);
        EXPECT_TRUE(page.Body.find("marvane-player.deb") != std::string::npos);
    }
}

TEST_F(StandinOptionsTest, BadOptionValuesAreRefused)
{
    for (const QStringList &options : {QStringList {u"--my-music-size"_s, u"-1"_s}, {u"--my-music-size"_s, u"many"_s},
             {u"--audio-rate"_s, u"0"_s}, {u"--broken-track"_s}, {u"--update"_s, u"newest"_s}}) {
        SCOPED_TRACE(options.join(u' ').toStdString());
        TChildProcess process;
        ASSERT_TRUE(process.Start(QStringLiteral(MARVANE_STANDIN_PROGRAM), options, {.ReadErrors = true}));
        ASSERT_TRUE(process.WaitForExit(std::chrono::seconds(5)));
        EXPECT_EQ(process.ExitCode(), 2);
        EXPECT_TRUE(process.Errors().contains("usage:"));
    }
}

TEST_F(StandinTest, TheLastFMHostGoesDownAndComesBackOnRequest)
{
    const QString lastFM
        = Extract(QString::fromLatin1(FProcess.Output()), u"(?m)^MARVANE_LASTFM_URL=(http://127\\.0\\.0\\.1:\\d+)$"_s);
    ASSERT_FALSE(lastFM.isEmpty());
    TBrowser browser;
    const QString search = lastFM + u"/2.0/?method=artist.search&artist=a&format=json"_s;
    EXPECT_EQ(browser.Get(search).Status, 200);
    EXPECT_EQ(browser.Post(lastFM + u"/standin/down"_s, {}).Status, 200);
    EXPECT_EQ(browser.Get(search).Status, 503);
    EXPECT_EQ(browser.Post(lastFM + u"/standin/up"_s, {}).Status, 200);
    const TAnswer back = browser.Get(search);
    EXPECT_EQ(back.Status, 200);
    EXPECT_TRUE(back.Text().contains(u"artistmatches"_s));
}

TEST_F(StandinTest, APortInUseIsRefusedNotShared)
{
    TChildProcess second;
    ASSERT_TRUE(second.Start(
        QStringLiteral(MARVANE_STANDIN_PROGRAM), {u"--web-port"_s, FWeb.section(u':', 2)}, {.ReadErrors = true}));
    ASSERT_TRUE(second.WaitForExit(std::chrono::seconds(5)))
        << "a second stand-in on a busy port must not start serving";
    EXPECT_EQ(second.ExitCode(), 1);
    EXPECT_FALSE(second.Output().contains("ready"));
}

TEST_F(StandinTest, LogHasOneJsonLinePerRequestAndTermStopsCleanly)
{
    TBrowser browser;
    SignIn(browser, u"plain@marvane.test"_s, u"plain-pass"_s);
    FProcess.Signal(SIGTERM);
    ASSERT_TRUE(FProcess.WaitForExit(std::chrono::seconds(5)));
    EXPECT_TRUE(FProcess.ExitedNormally());
    EXPECT_EQ(FProcess.ExitCode(), 0);

    QFile log(LogPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << "front page, login post, the page that finishes the sign-in";
    const QJsonObject post = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(post[u"method"].toString(), u"POST"_s);
    EXPECT_EQ(post[u"host"].toString(), u"login"_s);
    EXPECT_EQ(post[u"path"].toString(), u"/"_s);
    EXPECT_EQ(post[u"query"][u"act"].toString(), u"login"_s);
    EXPECT_EQ(post[u"form"][u"email"].toString(), u"plain@marvane.test"_s);
    EXPECT_EQ(post[u"form"][u"pass"].toString(), u"(hidden)"_s) << "the sign-in password is never written down";
    EXPECT_FALSE(lines[1].contains("plain-pass"));
    EXPECT_EQ(post[u"status"].toInt(), 302);
    const QJsonObject finish = QJsonDocument::fromJson(lines[2]).object();
    EXPECT_EQ(finish[u"host"].toString(), u"web"_s);
    EXPECT_EQ(finish[u"path"].toString(), u"/login.php"_s);
    EXPECT_EQ(finish[u"status"].toInt(), 200);
}

} // namespace
