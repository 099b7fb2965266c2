#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QUrl;

struct TCookie
{
    QString Name;
    QString Value;
    // An invalid date-time marks a session cookie, which never expires in the jar.
    QDateTime Expires;
    // A leading "." makes a domain cookie (the host and every host below it);
    // without it the cookie belongs to that one host.
    QString Domain;
    QString Path;
    bool Secure = false;
    bool HttpOnly = false;

    bool IsSession() const { return !Expires.isValid(); }
    bool IsExpired(const QDateTime &Now) const { return Expires.isValid() && Expires <= Now; }
};

// The web client's cookie jar, shared by every exchange of the session and
// safe to use from several threads at once. It keeps a browser's rules: a
// cookie replaces the one of the same name, domain and path; a request carries
// the cookies whose domain and path match its URL, secure ones over HTTPS
// only; expired cookies are dropped whenever the jar is read. Cookies holding
// control characters, or a ";" that would split the Cookie header, are never
// taken. Every operation is linear in the number of cookies.
class TCookieManager
{
public:
    TCookieManager() = default;
    TCookieManager(const TCookieManager &) = delete;
    TCookieManager &operator=(const TCookieManager &) = delete;

    // Takes the cookies of an answer's "Set-Cookie" header values, as set by
    // the server at URL; a cookie whose expiry lies in the past removes its
    // stored namesake.
    void AddServerCookies(const QStringList &SetCookieHeaders, const QUrl &URL);
    // Offers a whole record as if Origin had set it: taken only when Origin's
    // host with "." in front ends with the cookie's domain and Origin's path
    // begins with the cookie's path. True when taken.
    bool AddCookie(const TCookie &Cookie, const QUrl &Origin);
    // Takes back a cookie the jar held before (from the cookie file) as it
    // was, whatever host and path it belongs to; refused only when it could
    // never have been taken (unsafe text, a path not starting with "/") or
    // has expired since. True when taken.
    bool Restore(const TCookie &Cookie);

    // The "Cookie" header value for a request to URL ("a=1; b=2"), longer
    // paths first; empty when no cookie matches.
    QByteArray CookieHeader(const QUrl &URL);
    // Every cookie, in the order they were first stored.
    QList<TCookie> Cookies();
    qsizetype Count();
    // Grows with every change; lets an owner see whether the jar changed.
    quint64 ChangeCount() const;

private:
    static QString Key(const TCookie &Cookie);
    void Store(TCookie Cookie, const QDateTime &Now);
    void Remove(qsizetype Index);
    void DropExpired(const QDateTime &Now);
    void Compact();

    mutable QMutex FLock;
    // Removed entries stay as empty slots until compaction, so that replacing
    // and removing stay constant-time and the order of the rest is kept.
    std::vector<std::optional<TCookie>> FCookies;
    QHash<QString, qsizetype> FIndex;
    qsizetype FRemovedCount = 0;
    quint64 FChangeCount = 0;
};

// The cookie file: a one-line, pure-ASCII JSON array with one object per
// cookie ("Name", "Value", "Expires" in milliseconds since 1970 UTC, "Domain",
// "Path", "Secure", "HttpOnly"); a session cookie is written with the zero
// date of the original program, which lies before 1970.
QByteArray CookiesToJSONText(const QList<TCookie> &Cookies);
// Reads that format; "Expires" may also be ISO 8601 or local date text, and
// any expiry before 1970 means a session cookie. Nothing when the text is not
// such an array.
std::optional<QList<TCookie>> CookiesFromJSONText(const QByteArray &Text);
