#pragma once

#include <QString>

#include <map>
#include <mutex>
#include <set>

namespace httplib {
class Server;
} // namespace httplib

namespace Standin {

// The two hosts' base URLs, known once both listen.
struct TApiOrigins
{
    QString API;
    QString Relay;
};

// What the VK API host and the sign-up relay remember while they run, under
// one lock: captchas asked, sign-ups waiting for their code, used numbers.
class TApiState
{
public:
    static inline const QString CaptchaText = QStringLiteral("38516");
    static inline const QString AccessToken = QStringLiteral("standin-api-token");
    static inline const QString ConfirmationCode = QStringLiteral("24680");

    TApiState();

    QString IssueCaptcha(bool WithPicture);
    bool HasCaptchaPicture(const QString &Sid) const;
    // True when the text matches; a captcha is used up either way.
    bool SolveCaptcha(const QString &Sid, const QString &Key);

    struct TSignup
    {
        QString SID;
        QString Password;
    };
    bool IsPhoneUsed(const QString &Phone) const;
    // A new sign-up for Phone, replacing one that waits; returns its session.
    QString StartSignup(const QString &Phone, const QString &Password);
    const TSignup *FindSignup(const QString &Phone) const;
    void DropSignup(const QString &Phone);
    // The phone is taken by the new account; returns the account's id.
    int CompleteSignup(const QString &Phone);
    std::mutex &Lock() { return FLock; }

private:
    std::mutex FLock;
    std::map<QString, bool> FCaptchas; // sid: has a picture
    quint64 FNextCaptcha;
    std::map<QString, TSignup> FSignups; // by phone
    std::set<QString> FUsedPhones;
    int FNextUserID = 5001;
};

// The VK API host: "/method/users.get" and its "/captcha.php".
void AddAPIHandlers(httplib::Server &Server, TApiState &State, const TApiOrigins &Origins);
// The sign-up relay: "/vk/auth.checkPhone", "/vk/auth.signup", "/vk/auth.confirm" and its "/captcha.php".
void AddRelayHandlers(httplib::Server &Server, TApiState &State, const TApiOrigins &Origins);

} // namespace Standin
