#pragma once

#include "standin/Catalogue.h"

#include <QString>

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace Standin {

struct TAccount
{
    QString Login; // compared without regard to case
    QString Password;
    int UserID = 0;
    QString Name;
    bool NeedsCaptcha = false; // every sign-in starts with a captcha
    QString TwoStepCode; // empty: no two-step check
};

// How a post to the login host ended; the web host's "/login.php?act=slogin" shows it.
struct TLoginOutcome
{
    enum TKind { Done, Failed, Captcha, AuthCheck, Rejected };
    TKind Kind = Rejected;
    int UserID = 0;
    QString CaptchaSid;
    QString LoginCookie; // the "p" cookie the login host set with a successful answer
    QString CheckHash; // the pending two-step check
};

// The site's accounts and everything that changes while it runs, under one lock.
// Handlers of both hosts run on many threads at once.
class TSiteState
{
public:
    static inline const QString CaptchaText = QStringLiteral("38516");

    static constexpr int DefaultMyMusicSize = 40;

    // PlainMyMusicSize: how many tracks plain@marvane.test starts with.
    explicit TSiteState(const TCatalogue &Catalogue, int PlainMyMusicSize = DefaultMyMusicSize);

    const TCatalogue &Catalogue() const { return FCatalogue; }
    std::optional<TAccount> FindAccount(const QString &Login) const;
    std::optional<TAccount> AccountOf(int UserID) const;

    // Front-page form tokens: ip_h is fixed for the run, each page load issues a new lg_h.
    const QString &IPHash() const { return FIPHash; }
    QString IssueLoginFormHash();
    bool IsIssuedLoginFormHash(const QString &Hash) const;

    // The one-time ticket ("__q_hash") the login host hands to the web host.
    QString IssueTicket(const TLoginOutcome &Outcome);
    std::optional<TLoginOutcome> TakeTicket(const QString &Ticket);

    QString IssueCaptcha();
    bool IsCaptcha(const QString &Sid) const;
    // True when the text matches; a captcha is used up either way.
    bool SolveCaptcha(const QString &Sid, const QString &Text);

    QString BeginTwoStepCheck(int UserID);
    std::optional<int> TwoStepUser(const QString &Hash) const;
    void EndTwoStepCheck(const QString &Hash);

    // A session is the pair of remixsid (kept a year) and remixstid (a browser-session cookie).
    std::pair<QString, QString> OpenSession(int UserID);
    int SessionUser(const QString &Sid, const QString &StId) const; // 0 when none

    std::vector<TTrack> MyMusic(int UserID) const;
    // A track of the catalogue or of anyone's My Music.
    std::optional<TTrack> FindTrack(int OwnerID, int AID) const;
    // Adds a copy of the track at the top of the user's list and returns it.
    TTrack AddCopy(int UserID, const TTrack &Source);
    bool Delete(int UserID, int AID);

private:
    const TCatalogue &FCatalogue;
    mutable std::mutex FLock;
    std::vector<TAccount> FAccounts;
    QString FIPHash;
    std::set<QString> FLoginFormHashes;
    std::map<QString, TLoginOutcome> FTickets;
    std::map<QString, QString> FCaptchas; // sid → text
    std::map<QString, int> FTwoStepChecks; // hash → user
    std::map<QString, std::pair<QString, int>> FSessions; // remixsid → (remixstid, user)
    std::map<int, std::vector<TTrack>> FMyMusic; // newest first
    std::map<int, int> FNextAID;
};

} // namespace Standin
