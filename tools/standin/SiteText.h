#pragma once

#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace httplib {
struct Request;
}

// Text as the site puts it on the wire: forms, cookies, Windows-1251 pages.
namespace Standin {

using TFields = std::vector<std::pair<QString, QString>>;

// "a=1&b=x+y%D0%B0": "+" is a space, %XX are UTF-8 bytes.
TFields ParseForm(const std::string &Text);
// The value of the first field of that name, or "".
QString Field(const TFields &Fields, const QString &Name);
// The query part of the request's target.
TFields QueryFields(const httplib::Request &Request);
// The form body of a request that has one ("application/x-www-form-urlencoded").
TFields FormFields(const httplib::Request &Request);
// The query's fields, then the form body's.
TFields RequestFields(const httplib::Request &Request);

// The site's 8-bit code page; what it cannot hold goes out as a numeric reference.
std::string ToWindows1251(const QString &Text);
inline constexpr const char *HtmlType = "text/html; charset=windows-1251";

// The value of a cookie the request carries, or "".
QString RequestCookie(const httplib::Request &Request, const QString &Name);
// A Set-Cookie value for the whole host; a persistent cookie lives a year, an
// empty value with Persistent false removes the cookie.
std::string CookieHeader(const QString &Name, const QString &Value, bool Persistent, bool HttpOnly);
std::string RemovedCookieHeader(const QString &Name);

// A site page: the head script carries the viewer's identifier ("id: 0," for a guest).
QString Page(int UserID, const QString &Title, const QString &Body);

// An answer of the site's internal endpoints: a frame of "<!>"-separated
// parts whose fifth part is the status code (0 success) and whose last part is the payload.
QString Frame(const QString &Modules, int Code, const QString &Payload);

// A random lowercase hexadecimal token.
QString RandomToken(int Bytes);

} // namespace Standin
