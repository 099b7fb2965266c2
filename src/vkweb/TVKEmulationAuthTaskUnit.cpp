#include "vkweb/TVKEmulationAuthTaskUnit.h"

#include "app/helpers/RemoteHostsUnit.h"
#include "app/helpers/TextUtilsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "vkweb/TCookieManagerUnit.h"

#include <QRegularExpression>

namespace {

// The sign-in pages are read for ASCII markers only.
QString DecodeSignInAnswer(const QByteArray &Answer)
{
    return QString::fromLatin1(Answer);
}

int DecimalUserID(const QString &Text)
{
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]{1,10}$"));
    bool ok = false;
    const int value = decimal.match(Text).hasMatch() ? Text.toInt(&ok, 10) : 0;
    if (!ok)
        throw Exception(QStringLiteral("'%1' is not a valid user identifier").arg(Text));
    return value;
}

} // namespace

TVKEmulationAuthTask::TVKEmulationAuthTask(TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts) :
      FSession(std::move(ASession)), FTimeouts(ATimeouts)
{
}

void TVKEmulationAuthTask::Execute()
{
    try {
        if (!FSession.CookieManager)
            throw Exception(QStringLiteral("The task has no session"));
        Run();
    } catch (const std::exception &) {
        FResultCode = arUnexpectedError;
    }
}

void TVKEmulationAuthTask::ExecuteFailed(const QString &Message)
{
    (void)Message;
    FResultCode = arUnexpectedError;
}

void TVKEmulationAuthTask::Run()
{
    CheckSignIn();
}

void TVKEmulationAuthTask::CheckSignIn()
{
    const QString page = Get(GetVKWebURL() + QStringLiteral("/feed"));
    FUserID = DecimalUserID(ExtractRegExGroup(page, QStringLiteral("id: (.*?),")));
    FResultCode = FUserID != 0 ? arSignedIn : arNotSignedIn;
}

QString TVKEmulationAuthTask::Get(const QString &URL)
{
    QByteArray answer;
    SendVKRequest(URL, std::nullopt, *FSession.CookieManager, answer, FTimeouts);
    return DecodeSignInAnswer(answer);
}

QString TVKEmulationAuthTask::Post(const QString &URL, const QString &Body)
{
    QByteArray answer;
    SendVKRequest(URL, Body, *FSession.CookieManager, answer, FTimeouts);
    return DecodeSignInAnswer(answer);
}

TVKEmulationLoginTask::TVKEmulationLoginTask(TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts,
    QString ALogin, QString APassword, QString ACaptchaSid, QString ACaptchaKey) :
      TVKEmulationAuthTask(std::move(ASession), ATimeouts),
      FLogin(std::move(ALogin)), FPassword(std::move(APassword)), FCaptchaSid(std::move(ACaptchaSid)),
      FCaptchaKey(std::move(ACaptchaKey))
{
}

void TVKEmulationLoginTask::Run()
{
    const QString front = Get(GetVKWebURL() + QStringLiteral("/"));
    const QString ipHash = ExtractRegExGroup(front, QStringLiteral("name=\"ip_h\" value=\"(.*?)\""));
    const QString lgHash = ExtractRegExGroup(front, QStringLiteral("name=\"lg_h\" value=\"(.*?)\""));
    // The tokens and the captcha id come from the server: encoded like the
    // typed values, so none can add a field to the post carrying the password.
    const QString body
        = EncodeURLParams({QStringLiteral("act=login"), QStringLiteral("role=al_frame"), QStringLiteral("expire="),
            QStringLiteral("captcha_sid=") + FCaptchaSid, QStringLiteral("captcha_key=") + FCaptchaKey,
            QStringLiteral("_origin=") + GetVKWebOrigin(), QStringLiteral("ip_h=") + ipHash,
            QStringLiteral("lg_h=") + lgHash, QStringLiteral("email=") + FLogin, QStringLiteral("pass=") + FPassword});
    const QString answer = Post(GetVKLoginURL() + QStringLiteral("/?act=login"), body);

    // The failure marker comes first: a page may carry a captcha call too.
    if (answer.contains(u"parent.onLoginFailed")) {
        SetResultCode(arInvalidAuthData);
    } else if (answer.contains(u"parent.location.href='/login?act=authcheck'")) {
        const QString check = Get(GetVKWebURL() + QStringLiteral("/login?act=authcheck"));
        FHash = ExtractRegExGroup(check, QStringLiteral("hash: '([a-z_0-9]+)'"));
        // Without its token no code could ever be accepted.
        if (FHash.isEmpty())
            throw Exception(QStringLiteral("The two-step check page holds no token"));
        SetResultCode(arVerificationRequired);
    } else if (answer.contains(u"parent.onLoginCaptcha")) {
        FCaptchaSid = ExtractRegExGroup(answer, QStringLiteral("onLoginCaptcha\\('(.*?)',"));
        if (FCaptchaSid.isEmpty())
            throw Exception(QStringLiteral("The captcha request holds no identifier"));
        SetResultCode(arCaptchaRequired);
    } else {
        CheckSignIn();
    }
}

TVKEmulationVerificationTask::TVKEmulationVerificationTask(
    TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts, QString AVerificationCode, QString AHash) :
      TVKEmulationAuthTask(std::move(ASession), ATimeouts),
      FVerificationCode(std::move(AVerificationCode)), FHash(std::move(AHash))
{
}

void TVKEmulationVerificationTask::Run()
{
    // Encoded so a typed "&" or "=" cannot add fields; digits are sent as typed.
    const QString body = EncodeURLParams({QStringLiteral("act=a_authcheck_code"), QStringLiteral("al=1"),
        QStringLiteral("code=") + FVerificationCode, QStringLiteral("hash=") + FHash, QStringLiteral("remember=1")});
    const QString answer = Post(GetVKWebURL() + QStringLiteral("/al_login.php"), body);
    if (answer.contains(u"login.php"))
        CheckSignIn();
    else
        SetResultCode(arInvalidVerificationCode);
}
