#include "vkweb/TCookieManagerUnit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMutexLocker>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

// Control characters could split a header line or smuggle a second cookie in
// through a stored file; ";" would end the pair inside the Cookie header.
bool IsSafeText(const QString &Text)
{
    for (const QChar c : Text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u';')
            return false;
    return true;
}

bool IsAcceptable(const TCookie &Cookie)
{
    return !Cookie.Name.isEmpty() && !Cookie.Name.contains(u'=') && !Cookie.Domain.isEmpty() && IsSafeText(Cookie.Name)
        && IsSafeText(Cookie.Value) && IsSafeText(Cookie.Domain) && IsSafeText(Cookie.Path);
}

QString RequestPath(const QUrl &URL)
{
    const QString path = URL.path(QUrl::FullyEncoded);
    return path.isEmpty() ? QStringLiteral("/") : path;
}

// The folder of the request's path, the path a cookie gets when it names none.
QString DefaultPath(const QUrl &URL)
{
    const QString path = RequestPath(URL);
    const qsizetype lastSlash = path.lastIndexOf(u'/');
    return lastSlash <= 0 ? QStringLiteral("/") : path.left(lastSlash);
}

bool PathMatches(const QString &RequestPathText, const QString &CookiePath)
{
    if (!RequestPathText.startsWith(CookiePath))
        return false;
    return RequestPathText.size() == CookiePath.size() || CookiePath.endsWith(u'/')
        || RequestPathText.at(CookiePath.size()) == u'/';
}

bool DomainMatches(const QString &Host, const QString &CookieDomain)
{
    if (!CookieDomain.startsWith(u'.'))
        return Host.compare(CookieDomain, Qt::CaseInsensitive) == 0;
    return Host.compare(QStringView(CookieDomain).mid(1), Qt::CaseInsensitive) == 0
        || Host.endsWith(CookieDomain, Qt::CaseInsensitive);
}

// IPv6 hosts come without brackets from QUrl; IPv4 ones are dotted digits.
bool IsIPAddress(const QString &Host)
{
    if (Host.contains(u':'))
        return true;
    return !Host.isEmpty() && Host.count(u'.') == 3
        && std::all_of(Host.begin(), Host.end(), [](QChar C) { return C == u'.' || C.isDigit(); });
}

bool IsDateDelimiter(QChar C)
{
    const char16_t c = C.unicode();
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60)
        || (c >= 0x7B && c <= 0x7E);
}

// Reads up to MaxDigits leading digits (at least MinDigits) of Token; the rest
// must not start with a digit.
bool LeadingNumber(QStringView Token, int MinDigits, int MaxDigits, int &Value, qsizetype &Used)
{
    qsizetype i = 0;
    Value = 0;
    while (i < Token.size() && i < MaxDigits && Token[i].isDigit()) {
        Value = Value * 10 + Token[i].digitValue();
        ++i;
    }
    Used = i;
    return i >= MinDigits && (i == Token.size() || !Token[i].isDigit());
}

bool ParseTime(QStringView Token, QTime &Time)
{
    int parts[3];
    qsizetype position = 0;
    for (int i = 0; i < 3; ++i) {
        qsizetype used = 0;
        if (!LeadingNumber(Token.mid(position), 1, 2, parts[i], used))
            return false;
        position += used;
        if (i < 2) {
            if (position >= Token.size() || Token[position] != u':')
                return false;
            ++position;
        }
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return false;
    Time = QTime(parts[0], parts[1], parts[2]);
    return true;
}

// The lenient date reading browsers apply to "Expires": any order of
// time, day, month name and year, between any delimiters.
QDateTime ParseCookieDate(const QString &Text)
{
    static const char *const Months[]
        = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    QTime time;
    int day = -1;
    int month = -1;
    int year = -1;
    qsizetype start = 0;
    while (start < Text.size()) {
        while (start < Text.size() && IsDateDelimiter(Text[start]))
            ++start;
        qsizetype end = start;
        while (end < Text.size() && !IsDateDelimiter(Text[end]))
            ++end;
        const QStringView token = QStringView(Text).mid(start, end - start);
        start = end;
        if (token.isEmpty())
            continue;
        int number = 0;
        qsizetype used = 0;
        if (!time.isValid() && ParseTime(token, time))
            continue;
        if (day < 0 && LeadingNumber(token, 1, 2, number, used)) {
            day = number;
            continue;
        }
        if (month < 0 && token.size() >= 3) {
            const QString prefix = token.left(3).toString().toLower();
            for (int i = 0; i < 12; ++i)
                if (prefix == QLatin1String(Months[i]))
                    month = i + 1;
            if (month > 0)
                continue;
        }
        if (year < 0 && LeadingNumber(token, 2, 4, number, used))
            year = number;
    }
    if (year >= 70 && year <= 99)
        year += 1900;
    else if (year >= 0 && year <= 69)
        year += 2000;
    if (!time.isValid() || day < 1 || day > 31 || month < 1 || year < 1601)
        return {};
    const QDate date(year, month, day);
    if (!date.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

std::optional<TCookie> ParseSetCookie(const QString &Header, const QUrl &URL, const QDateTime &Now)
{
    const QStringList parts = Header.split(u';');
    const QString pair = parts.first();
    const qsizetype equals = pair.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    TCookie cookie;
    cookie.Name = pair.left(equals).trimmed();
    cookie.Value = pair.mid(equals + 1).trimmed();

    const QString host = URL.host().toLower();
    QString domainAttribute;
    bool hasMaxAge = false;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString &attribute = parts[i];
        const qsizetype attributeEquals = attribute.indexOf(u'=');
        const QString name = (attributeEquals < 0 ? attribute : attribute.left(attributeEquals)).trimmed();
        const QString value = attributeEquals < 0 ? QString() : attribute.mid(attributeEquals + 1).trimmed();
        if (name.compare(u"Expires", Qt::CaseInsensitive) == 0) {
            const QDateTime expires = ParseCookieDate(value);
            if (expires.isValid() && !hasMaxAge)
                cookie.Expires = expires;
        } else if (name.compare(u"Max-Age", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 seconds = value.toLongLong(&ok);
            if (ok && !value.startsWith(u'+')) {
                hasMaxAge = true;
                // A zero or negative age expires the cookie at once.
                cookie.Expires = seconds <= 0 ? QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)
                                              : Now.addSecs(std::min<qint64>(seconds, 400LL * 24 * 3600));
            }
        } else if (name.compare(u"Domain", Qt::CaseInsensitive) == 0) {
            domainAttribute = value.startsWith(u'.') ? value.mid(1).toLower() : value.toLower();
        } else if (name.compare(u"Path", Qt::CaseInsensitive) == 0) {
            cookie.Path = value.startsWith(u'/') ? value : QString();
        } else if (name.compare(u"Secure", Qt::CaseInsensitive) == 0) {
            cookie.Secure = true;
        } else if (name.compare(u"HttpOnly", Qt::CaseInsensitive) == 0) {
            cookie.HttpOnly = true;
        }
    }

    if (domainAttribute.isEmpty() || (IsIPAddress(host) && domainAttribute == host)) {
        cookie.Domain = host;
    } else {
        // A server may set a cookie for itself or a parent domain, never for
        // another site or a bare top-level name.
        const bool matches = host == domainAttribute || host.endsWith(u'.' + domainAttribute);
        if (!matches || IsIPAddress(host) || !domainAttribute.contains(u'.'))
            return std::nullopt;
        cookie.Domain = u'.' + domainAttribute;
    }
    if (cookie.Path.isEmpty())
        cookie.Path = DefaultPath(URL);
    return cookie;
}

QDateTime ZeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

// Pure ASCII: everything above 0x7F as a "\u" escape of its UTF-16 units.
QByteArray EscapeNonASCII(const QByteArray &UTF8JSON)
{
    const QString text = QString::fromUtf8(UTF8JSON);
    QByteArray result;
    result.reserve(UTF8JSON.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            result.append(char(c.unicode()));
        } else {
            char escape[7];
            std::snprintf(escape, sizeof(escape), "\\u%04x", unsigned(c.unicode()));
            result.append(escape, 6);
        }
    }
    return result;
}

// Local date text as the user's locale writes it, with or without seconds
// and zone; two-digit years of the short form are read as four.
QDateTime ParseLocalDateTime(const QString &Text)
{
    const QLocale locale = QLocale::system();
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QStringLiteral("yyyy")))
        date.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    QString longTime = locale.timeFormat(QLocale::LongFormat);
    const QString formats[] = {
        date + u' ' + longTime,
        date + u' ' + longTime.remove(QStringLiteral(" t")),
        date + u' ' + locale.timeFormat(QLocale::ShortFormat),
        locale.dateTimeFormat(QLocale::LongFormat),
        locale.dateTimeFormat(QLocale::ShortFormat),
    };
    for (const QString &format : formats) {
        const QDateTime parsed = locale.toDateTime(Text, format);
        if (parsed.isValid())
            return parsed;
    }
    return {};
}

std::optional<QDateTime> ReadExpires(const QJsonValue &Value)
{
    QDateTime expires;
    if (Value.isDouble()) {
        // Anything before 1970 means a session cookie and no date lies past
        // the year 9999: held to that range, the number converts to qint64.
        constexpr double Latest = 253402300799999.0; // 9999-12-31T23:59:59.999Z
        expires = QDateTime::fromMSecsSinceEpoch(qint64(std::clamp(Value.toDouble(), -1.0, Latest)));
    } else if (Value.isString()) {
        const QString text = Value.toString().trimmed();
        expires = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!expires.isValid())
            expires = ParseLocalDateTime(text);
        if (!expires.isValid())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    // The zero date of a session cookie was written through local time, so
    // it moves with the time zone; anything before 1970 is that zero date.
    if (expires.toMSecsSinceEpoch() < 0)
        return QDateTime();
    return expires;
}

} // namespace

QString TCookieManager::Key(const TCookie &Cookie)
{
    // Names, domains and paths hold no line feeds (IsSafeText), so the key is unambiguous.
    return Cookie.Name + u'\n' + Cookie.Domain.toLower() + u'\n' + Cookie.Path;
}

void TCookieManager::Store(TCookie Cookie, const QDateTime &Now)
{
    const QString key = Key(Cookie);
    const auto found = FIndex.constFind(key);
    if (Cookie.IsExpired(Now)) {
        if (found != FIndex.constEnd())
            Remove(found.value());
        return;
    }
    ++FChangeCount;
    if (found != FIndex.constEnd()) {
        FCookies[std::size_t(found.value())] = std::move(Cookie);
        return;
    }
    FIndex.insert(key, qsizetype(FCookies.size()));
    FCookies.emplace_back(std::move(Cookie));
}

void TCookieManager::Remove(qsizetype Index)
{
    std::optional<TCookie> &slot = FCookies[std::size_t(Index)];
    FIndex.remove(Key(*slot));
    slot.reset();
    ++FRemovedCount;
    ++FChangeCount;
}

void TCookieManager::DropExpired(const QDateTime &Now)
{
    for (std::size_t i = 0; i < FCookies.size(); ++i)
        if (FCookies[i] && FCookies[i]->IsExpired(Now))
            Remove(qsizetype(i));
    Compact();
}

void TCookieManager::Compact()
{
    if (FRemovedCount == 0 || FRemovedCount * 2 < qsizetype(FCookies.size()))
        return;
    std::erase_if(FCookies, [](const std::optional<TCookie> &Slot) { return !Slot; });
    FIndex.clear();
    for (std::size_t i = 0; i < FCookies.size(); ++i)
        FIndex.insert(Key(*FCookies[i]), qsizetype(i));
    FRemovedCount = 0;
}

void TCookieManager::AddServerCookies(const QStringList &SetCookieHeaders, const QUrl &URL)
{
    if (SetCookieHeaders.isEmpty())
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QMutexLocker locker(&FLock);
    for (const QString &header : SetCookieHeaders) {
        std::optional<TCookie> cookie = ParseSetCookie(header, URL, now);
        if (cookie && IsAcceptable(*cookie))
            Store(std::move(*cookie), now);
    }
    Compact();
}

bool TCookieManager::AddCookie(const TCookie &Cookie, const QUrl &Origin)
{
    TCookie cookie = Cookie;
    if (cookie.Path.isEmpty())
        cookie.Path = QStringLiteral("/");
    const QString host = u'.' + Origin.host();
    if (!IsAcceptable(cookie) || !host.endsWith(cookie.Domain) || !RequestPath(Origin).startsWith(cookie.Path))
        return false;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (cookie.IsExpired(now))
        return false;
    QMutexLocker locker(&FLock);
    Store(std::move(cookie), now);
    return true;
}

bool TCookieManager::Restore(const TCookie &Cookie)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!IsAcceptable(Cookie) || !Cookie.Path.startsWith(u'/') || Cookie.IsExpired(now))
        return false;
    QMutexLocker locker(&FLock);
    Store(Cookie, now);
    return true;
}

QByteArray TCookieManager::CookieHeader(const QUrl &URL)
{
    const QString host = URL.host();
    const QString path = RequestPath(URL);
    const bool isSecure = URL.scheme().compare(u"https", Qt::CaseInsensitive) == 0;
    std::vector<const TCookie *> matching;
    QMutexLocker locker(&FLock);
    DropExpired(QDateTime::currentDateTimeUtc());
    for (const std::optional<TCookie> &slot : FCookies)
        if (slot && (isSecure || !slot->Secure) && DomainMatches(host, slot->Domain) && PathMatches(path, slot->Path))
            matching.push_back(&*slot);
    std::stable_sort(matching.begin(), matching.end(),
        [](const TCookie *A, const TCookie *B) { return A->Path.size() > B->Path.size(); });
    QByteArray header;
    for (const TCookie *cookie : matching) {
        if (!header.isEmpty())
            header.append("; ");
        header.append(cookie->Name.toUtf8()).append('=').append(cookie->Value.toUtf8());
    }
    return header;
}

QList<TCookie> TCookieManager::Cookies()
{
    QMutexLocker locker(&FLock);
    DropExpired(QDateTime::currentDateTimeUtc());
    QList<TCookie> cookies;
    cookies.reserve(qsizetype(FCookies.size()) - FRemovedCount);
    for (const std::optional<TCookie> &slot : FCookies)
        if (slot)
            cookies.append(*slot);
    return cookies;
}

qsizetype TCookieManager::Count()
{
    QMutexLocker locker(&FLock);
    DropExpired(QDateTime::currentDateTimeUtc());
    return qsizetype(FCookies.size()) - FRemovedCount;
}

quint64 TCookieManager::ChangeCount() const
{
    QMutexLocker locker(&FLock);
    return FChangeCount;
}

QByteArray CookiesToJSONText(const QList<TCookie> &Cookies)
{
    const qint64 zeroDate = ZeroDate().toMSecsSinceEpoch();
    QJsonArray array;
    for (const TCookie &cookie : Cookies) {
        QJsonObject object;
        object.insert(QStringLiteral("Name"), cookie.Name);
        object.insert(QStringLiteral("Value"), cookie.Value);
        object.insert(QStringLiteral("Expires"), cookie.IsSession() ? zeroDate : cookie.Expires.toMSecsSinceEpoch());
        object.insert(QStringLiteral("Domain"), cookie.Domain);
        object.insert(QStringLiteral("Path"), cookie.Path);
        object.insert(QStringLiteral("Secure"), cookie.Secure);
        object.insert(QStringLiteral("HttpOnly"), cookie.HttpOnly);
        array.append(object);
    }
    return EscapeNonASCII(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::optional<QList<TCookie>> CookiesFromJSONText(const QByteArray &Text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(Text, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<TCookie> cookies;
    for (const QJsonValue &element : document.array()) {
        const QJsonObject object = element.toObject();
        const QJsonValue name = object.value(u"Name");
        const QJsonValue value = object.value(u"Value");
        const QJsonValue domain = object.value(u"Domain");
        const QJsonValue path = object.value(u"Path");
        const QJsonValue secure = object.value(u"Secure");
        const QJsonValue httpOnly = object.value(u"HttpOnly");
        const std::optional<QDateTime> expires = ReadExpires(object.value(u"Expires"));
        if (!element.isObject() || !name.isString() || !value.isString() || !domain.isString() || !path.isString()
            || !secure.isBool() || !httpOnly.isBool() || !expires)
            return std::nullopt;
        cookies.append(TCookie {name.toString(), value.toString(), *expires, domain.toString(), path.toString(),
            secure.toBool(), httpOnly.toBool()});
    }
    return cookies;
}
