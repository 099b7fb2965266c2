#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class TCookieManager;

// How long an exchange may wait: for the connection, for the answer's next
// bytes once connected, and for the whole exchange with its redirects, so
// that an answer trickling without end is cut off too.
struct TVKTransportTimeouts
{
    long ConnectMilliseconds = 60000;
    long ResponseMilliseconds = 60000;
    long TotalMilliseconds = 180000;
};

// Scheme, host and port of the VK web host, without a path.
QString GetVKWebOrigin();

// One browser-like exchange with the site: the fixed browser headers, the
// origin as Referer, the jar's cookies; a GET, or a form POST of Body.
// Redirects are followed here (at most 5 in a row; a POST answered with 301,
// 302 or 303 goes on as a GET without body) and the cookies of every answer
// along the way go into the jar. Answer receives the final body; the result is
// its HTTP status, which no caller needs. Throws Exception on any transport
// failure (name resolution, connection, TLS, time-out, a broken answer, an
// answer larger than THTTPClient::MaxMemoryBodySize, too many redirects).
int SendVKRequest(const QString &URL, const std::optional<QString> &Body, TCookieManager &CookieManager,
    QByteArray &Answer, const TVKTransportTimeouts &Timeouts = {});

// Capture group 1 of the first non-empty match of Pattern (Perl-compatible,
// case-sensitive, "." not crossing line feeds); empty when nothing matches or
// the pattern has no group.
QString ExtractRegExGroup(const QString &Text, const QString &Pattern);

// The audio endpoint answers in Windows-1251.
QString DecodeWindows1251(const QByteArray &Bytes);
