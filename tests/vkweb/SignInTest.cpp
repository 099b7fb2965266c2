#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationCaptchaManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include "foundation/TThreadedObjectsManagerUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include "vkweb/VKWebTestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The player's web client against the stand-in: each sign-in event is recorded
// as a line ("success 1001", "captcha", ...).
class SignIn : public ::testing::Test
{
protected:
    SignIn() { ThreadedObjectsManager = new TThreadedObjectsManager(); }
    ~SignIn() override
    {
        FManager.reset();
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        Open();
    }

    // A manager over the data folder, as the player makes one at start-up.
    void Open()
    {
        FManager.reset();
        FManager = std::make_unique<TVKEmulationManager>();
        TVKEmulationAuthManager &auth = FManager->AuthManager();
        auth.OnAuthSuccessList().Add(
            [this](TObject *) { FEvents << QStringLiteral("success %1").arg(FManager->AuthManager().UserID()); });
        const std::pair<TNotifyEvent *, QString> events[] = {
            {&auth.OnUnexpectedError, QStringLiteral("unexpected")},
            {&auth.OnAuthDataRequired, QStringLiteral("auth data")},
            {&auth.OnInvalidAuthData, QStringLiteral("invalid auth data")},
            {&auth.OnVerificationCodeRequired, QStringLiteral("code")},
            {&auth.OnInvalidVerificationCode, QStringLiteral("invalid code")},
            {&FManager->CaptchaManager().OnCaptchaKeyRequest, QStringLiteral("captcha")},
        };
        for (const auto &[event, name] : events)
            *event = [this, name](TObject *Sender) {
                EXPECT_TRUE(dynamic_cast<TVKEmulationAuthManager *>(Sender)
                    || dynamic_cast<TVKEmulationCaptchaManager *>(Sender));
                FEvents << name;
            };
    }

    // The next event, or "" when none comes.
    QString Next()
    {
        if (!TestEnvironment::WaitFor([this] { return !FEvents.isEmpty(); }))
            return {};
        return FEvents.takeFirst();
    }

    bool AllTasksDone()
    {
        return TestEnvironment::WaitFor([] { return ThreadedObjectsManager->Count() == 0; });
    }

    QByteArray CookieFile() const
    {
        QFile file(FManager->CookieFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

    qsizetype LoginHostRequests() const
    {
        return FStandin.LogLines().filter(QStringLiteral("\"host\":\"login\"")).size();
    }

    TTempUserFolders FFolders;
    TStandin FStandin;
    std::unique_ptr<TVKEmulationManager> FManager;
    QStringList FEvents;
};

} // namespace

TEST_F(SignIn, StoredCookiesSignInAfterARestartWithoutAPasswordAndLogoutEmptiesTheFile)
{
    FManager->AuthManager().Authorize();
    EXPECT_EQ(Next(), QStringLiteral("auth data"));

    FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
    EXPECT_EQ(Next(), QStringLiteral("success 1001"));
    EXPECT_EQ(FManager->UserID(), 1001);
    EXPECT_TRUE(CookieFile().contains("remixsid"));
    EXPECT_TRUE(CookieFile().contains("remixstid")) << "the browser-session cookie is part of the session";

    const qsizetype loginPosts = LoginHostRequests();
    Open();
    EXPECT_EQ(FManager->UserID(), 0);
    FManager->AuthManager().Authorize();
    EXPECT_EQ(Next(), QStringLiteral("success 1001"));
    EXPECT_EQ(LoginHostRequests(), loginPosts) << "no password was sent";

    FManager->Logout();
    EXPECT_EQ(FManager->UserID(), 0);
    EXPECT_EQ(CookieFile(), QByteArray("[]"));
    Open();
    FManager->AuthManager().Authorize();
    EXPECT_EQ(Next(), QStringLiteral("auth data"));
    EXPECT_TRUE(FEvents.isEmpty());
}

// Cookies are written after failures too. The password is in neither file:
// not in the cookie file, not in the stand-in's request log.
TEST_F(SignIn, AWrongPasswordIsReportedAndSignsNobodyIn)
{
    ASSERT_EQ(CookieFile(), QByteArray("(none)"));
    FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("wrong-pass"));
    EXPECT_EQ(Next(), QStringLiteral("invalid auth data"));
    EXPECT_EQ(FManager->UserID(), 0);
    EXPECT_NE(CookieFile(), QByteArray("(none)"));
    EXPECT_FALSE(CookieFile().contains("remixsid"));
    EXPECT_FALSE(CookieFile().contains("wrong-pass"));
    const QStringList posts = FStandin.LogLines().filter(QStringLiteral("\"host\":\"login\""));
    ASSERT_EQ(posts.size(), 1);
    EXPECT_TRUE(posts[0].contains(QStringLiteral("\"pass\":\"(hidden)\""))) << posts[0].toStdString();
    EXPECT_FALSE(FStandin.LogLines().join(u'\n').contains(u"wrong-pass"));
}

TEST_F(SignIn, ACaptchaIsShownAndItsAnswerSignsInWithTheLastLogin)
{
    TVKEmulationCaptchaManager &captcha = FManager->CaptchaManager();
    FManager->AuthManager().Login(QStringLiteral("captcha@marvane.test"), QStringLiteral("captcha-pass"));
    ASSERT_EQ(Next(), QStringLiteral("captcha"));
    EXPECT_TRUE(captcha.CaptchaImageStream().startsWith("\x89PNG"));
    const QString firstSid = captcha.CaptchaSID();
    ASSERT_FALSE(firstSid.isEmpty());

    // A wrong text uses the captcha up; the site asks a new one.
    FManager->AuthManager().ReloginWithCaptcha(firstSid, QStringLiteral("00000"));
    ASSERT_EQ(Next(), QStringLiteral("captcha"));
    EXPECT_NE(captcha.CaptchaSID(), firstSid);
    EXPECT_EQ(FManager->UserID(), 0);

    FManager->AuthManager().ReloginWithCaptcha(captcha.CaptchaSID(), QStringLiteral("38516"));
    EXPECT_EQ(Next(), QStringLiteral("success 1002"));
    EXPECT_EQ(FManager->UserID(), 1002);
}

TEST_F(SignIn, TwoStepCheckRejectsAWrongCodeThenAcceptsTheRightOne)
{
    FManager->AuthManager().Login(QStringLiteral("twostep@marvane.test"), QStringLiteral("twostep-pass"));
    ASSERT_EQ(Next(), QStringLiteral("code"));
    FManager->AuthManager().VerifyCode(QStringLiteral("000000"));
    EXPECT_EQ(Next(), QStringLiteral("invalid code"));
    EXPECT_EQ(FManager->UserID(), 0);
    FManager->AuthManager().VerifyCode(QStringLiteral("123456"));
    EXPECT_EQ(Next(), QStringLiteral("success 1003"));
    EXPECT_EQ(FManager->UserID(), 1003);
    EXPECT_TRUE(CookieFile().contains("remixsid"));
}

// A sign-in begun before a logout once signed the user in again after it.
TEST_F(SignIn, ASignInBegunBeforeALogoutDoesNotSucceedAfterIt)
{
    FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
    FManager->Logout();
    ASSERT_TRUE(AllTasksDone());
    EXPECT_TRUE(FEvents.isEmpty()) << FEvents.join(u',').toStdString();
    EXPECT_EQ(FManager->UserID(), 0);
    EXPECT_EQ(CookieFile(), QByteArray("[]"));

    // The next session is not touched by the old task's cookies.
    FManager->AuthManager().Authorize();
    EXPECT_EQ(Next(), QStringLiteral("auth data"));
}

// Servers that answer badly: each sign-in step fails as an unexpected error
// and the session and its cookie file stay as they were.
TEST_F(SignIn, BadAnswersAreUnexpectedErrorsAndKeepTheSession)
{
    FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
    ASSERT_EQ(Next(), QStringLiteral("success 1001"));
    const QByteArray cookies = CookieFile();
    FManager->SetTimeouts({1000, 300});

    const auto answerAll = [](TTestHTTPServer &Server, const std::function<void(httplib::Response &)> &Answer) {
        const auto handler = [Answer](const httplib::Request &, httplib::Response &Response) { Answer(Response); };
        Server.Routes().Get(".*", handler);
        Server.Routes().Post(".*", handler);
    };
    const struct
    {
        const char *Name;
        std::function<void(httplib::Response &)> Answer;
    } cases[] = {
        {"a changed feed page",
            [](httplib::Response &R) { R.set_content("<script>var vk = {user: 1001};</script>", "text/html"); }},
        {"a non-numeric identifier", [](httplib::Response &R) { R.set_content("{id: 1001x, a: 1}", "text/html"); }},
        {"an HTML error page",
            [](httplib::Response &R) {
                R.status = 500;
                R.set_content("<html><body>Internal Server Error</body></html>", "text/html");
            }},
        {"a redirect loop", [](httplib::Response &R) { R.set_redirect("/feed", 302); }},
    };
    for (const auto &c : cases) {
        TTestHTTPServer server;
        answerAll(server, c.Answer);
        server.Start();
        const QString url = QStringLiteral("http://127.0.0.1:%1").arg(server.Port());
        TScopedEnvironment web("MARVANE_VK_WEB_URL", url);
        TScopedEnvironment login("MARVANE_VK_LOGIN_URL", url);
        FManager->AuthManager().Authorize();
        EXPECT_EQ(Next(), QStringLiteral("unexpected")) << c.Name;
        FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
        EXPECT_EQ(Next(), QStringLiteral("unexpected")) << c.Name;
        EXPECT_EQ(FManager->UserID(), 1001) << c.Name;
        EXPECT_EQ(CookieFile(), cookies) << c.Name;
    }

    TRawTestServer stalled(
        [](const TRecordedRequest &, TRawTestServer::TConnection &Connection) { Connection.Stall(); });
    const QString url = QStringLiteral("http://127.0.0.1:%1").arg(stalled.Port());
    TScopedEnvironment web("MARVANE_VK_WEB_URL", url);
    FManager->AuthManager().Authorize();
    EXPECT_EQ(Next(), QStringLiteral("unexpected"));
    EXPECT_EQ(FManager->UserID(), 1001);
    EXPECT_EQ(CookieFile(), cookies);
    EXPECT_TRUE(FEvents.isEmpty());
}

// Any server speaking the site's formats must understand the forms, so they
// are checked byte for byte. Values the server sent are encoded like typed
// ones: once a captcha id such as "1&email=x" added a field to the post
// carrying the password, and a token's "+" arrived as a space.
TEST_F(SignIn, TheFormsArePostedAsTheSitesOwnPagesDoAndAFailureMarkerComesFirst)
{
    TTestHTTPServer server;
    server.Answer("/", 200,
        "<input type=\"hidden\" name=\"ip_h\" value=\"i+p/1=\" /><input name=\"lg_h\" value=\"l&g=2\">"
        "parent.onLoginFailed(4, {}); parent.onLoginCaptcha('1&email=x', 0);",
        {}, "text/html");
    server.Answer("/al_login.php", 200, "<!--18<!>0<!>8<!>wrong code", {}, "text/html");
    server.Start();
    const QString url = QStringLiteral("http://127.0.0.1:%1").arg(server.Port());
    TScopedEnvironment web("MARVANE_VK_WEB_URL", url);
    TScopedEnvironment login("MARVANE_VK_LOGIN_URL", url);
    const std::string origin = "http%3A%2F%2F127.0.0.1%3A" + std::to_string(server.Port());

    FManager->AuthManager().Login(QStringLiteral("a b+c@x.test"), QStringLiteral("p&ss wörd"));
    EXPECT_EQ(Next(), QStringLiteral("invalid auth data"));
    FManager->AuthManager().ReloginWithCaptcha(QStringLiteral("1&email=x"), QStringLiteral("ab c"));
    EXPECT_EQ(Next(), QStringLiteral("invalid auth data"));
    FManager->AuthManager().VerifyCode(QStringLiteral("123456"));
    EXPECT_EQ(Next(), QStringLiteral("invalid code"));

    std::vector<TRecordedRequest> posts;
    for (const TRecordedRequest &request : server.Requests())
        if (request.Method == "POST")
            posts.push_back(request);
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[0].Target, "/?act=login");
    EXPECT_EQ(posts[0].Body,
        "act=login&role=al_frame&expire=&captcha_sid=&captcha_key=&_origin=" + origin
            + "&ip_h=i%2Bp%2F1%3D&lg_h=l%26g%3D2&email=a%20b%2Bc%40x.test&pass=p%26ss%20w%C3%B6rd");
    EXPECT_EQ(posts[1].Body,
        "act=login&role=al_frame&expire=&captcha_sid=1%26email%3Dx&captcha_key=ab%20c&_origin=" + origin
            + "&ip_h=i%2Bp%2F1%3D&lg_h=l%26g%3D2&email=a%20b%2Bc%40x.test&pass=p%26ss%20w%C3%B6rd")
        << "a captcha retry repeats the last login";
    httplib::Params fields;
    httplib::detail::parse_query_text(posts[1].Body, fields);
    EXPECT_EQ(fields.count("email"), 1u);
    EXPECT_EQ(fields.find("captcha_sid")->second, "1&email=x");
    EXPECT_EQ(fields.find("ip_h")->second, "i+p/1=");
    EXPECT_EQ(posts[2].Target, "/al_login.php");
    EXPECT_EQ(posts[2].Body, "act=a_authcheck_code&al=1&code=123456&hash=&remember=1");
}

// A captcha whose picture cannot be loaded cannot be answered: the sign-in
// ends as an unexpected error instead of waiting for ever.
TEST_F(SignIn, ASignInCaptchaWithoutItsPictureEndsTheSignIn)
{
    TTestHTTPServer server;
    server.Answer("/", 200, "parent.onLoginCaptcha('77', 0);", {}, "text/html");
    server.Answer("/captcha.php", 404, "<html>Not Found</html>", {}, "text/html");
    server.Start();
    const QString url = QStringLiteral("http://127.0.0.1:%1").arg(server.Port());
    TScopedEnvironment web("MARVANE_VK_WEB_URL", url);
    TScopedEnvironment login("MARVANE_VK_LOGIN_URL", url);
    FManager->AuthManager().Login(QStringLiteral("someone@x.test"), QStringLiteral("pass"));
    EXPECT_EQ(Next(), QStringLiteral("unexpected"));
    ASSERT_TRUE(AllTasksDone());
    EXPECT_TRUE(FEvents.isEmpty());
}

// Only the newest image is shown; one that fails to load shows nothing.
TEST_F(SignIn, OnlyTheNewestCaptchaImageIsShownAndAMissingOneShowsNothing)
{
    TVKEmulationCaptchaManager &captcha = FManager->CaptchaManager();
    FManager->AuthManager().Login(QStringLiteral("captcha@marvane.test"), QStringLiteral("captcha-pass"));
    ASSERT_EQ(Next(), QStringLiteral("captcha"));
    const QString sid = captcha.CaptchaSID();

    captcha.RequestCaptchaKey(sid);
    captcha.RequestCaptchaKey(sid);
    ASSERT_TRUE(AllTasksDone());
    EXPECT_EQ(FEvents, QStringList {QStringLiteral("captcha")});
    FEvents.clear();
    const QByteArray image = captcha.CaptchaImageStream();

    // The site answers an unknown identifier with its 404 page, which is no image.
    captcha.RequestCaptchaKey(QStringLiteral("unknown"));
    ASSERT_TRUE(AllTasksDone());
    EXPECT_TRUE(FEvents.isEmpty());
    EXPECT_EQ(captcha.CaptchaImageStream(), image);
}
