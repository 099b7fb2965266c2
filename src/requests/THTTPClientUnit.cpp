#include "requests/THTTPClientUnit.h"

#include <curl/curl.h>

#include <utility>

THTTPClient::THTTPClient() : FHandle(Curl::NewEasy())
{
    CURL *handle = FHandle.get();
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    // Larger blocks than the default 16 KB: fewer calls per megabyte received.
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, 256L * 1024L);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &THTTPClient::HeaderCallback);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &THTTPClient::WriteCallback);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &THTTPClient::ProgressCallback);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    // curl's own "Expect: 100-continue" for larger bodies is not ours to send.
    Curl::AppendHeader(FHeaderLines, "Expect:");
}

THTTPClient::~THTTPClient() = default;

void THTTPClient::SetTimeouts(long ConnectMilliseconds, long TotalMilliseconds)
{
    curl_easy_setopt(FHandle.get(), CURLOPT_CONNECTTIMEOUT_MS, ConnectMilliseconds);
    curl_easy_setopt(FHandle.get(), CURLOPT_TIMEOUT_MS, TotalMilliseconds);
}

void THTTPClient::SetStallTimeout(long Seconds)
{
    curl_easy_setopt(FHandle.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(FHandle.get(), CURLOPT_LOW_SPEED_TIME, Seconds);
}

void THTTPClient::SetContentType(const QString &MimeType)
{
    // "Content-Type:" with nothing after it also removes curl's default for POST.
    AddHeaderLine(QStringLiteral("Content-Type:") + (MimeType.isEmpty() ? QString() : u' ' + MimeType));
}

void THTTPClient::AddHeaderLine(const QString &Line)
{
    Curl::AppendHeader(FHeaderLines, Line.toUtf8().constData());
}

void THTTPClient::SetCookies(const QStringList &Cookies)
{
    FCookieHeader = Cookies.join(QStringLiteral("; ")).toUtf8();
}

void THTTPClient::SetBody(const QByteArray &Body)
{
    FBody = Body;
    FHasBody = true;
}

void THTTPClient::SetMaxBodySize(qint64 Size)
{
    FMaxBodySize = Size;
}

bool THTTPClient::Perform(const QString &URL)
{
    const QByteArray url = URL.toUtf8();
    curl_easy_setopt(FHandle.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(FHandle.get(), CURLOPT_HTTPHEADER, FHeaderLines.get());
    if (!FCookieHeader.isEmpty())
        curl_easy_setopt(FHandle.get(), CURLOPT_COOKIE, FCookieHeader.constData());
    if (FHasBody) {
        curl_easy_setopt(FHandle.get(), CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(FBody.size()));
        curl_easy_setopt(FHandle.get(), CURLOPT_POSTFIELDS, FBody.constData());
    }

    if (FMaxBodySize > 0)
        curl_easy_setopt(FHandle.get(), CURLOPT_MAXFILESIZE_LARGE, curl_off_t(FMaxBodySize));

    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(FHandle.get(), CURLOPT_ERRORBUFFER, errorBuffer);
    const CURLcode code = curl_easy_perform(FHandle.get());
    curl_easy_setopt(FHandle.get(), CURLOPT_ERRORBUFFER, nullptr);
    if (FHandlerError)
        std::rethrow_exception(std::exchange(FHandlerError, nullptr));
    if (FBodyTooLarge) {
        Fail(CURLE_FILESIZE_EXCEEDED);
        return false;
    }
    if (code != CURLE_OK) {
        FErrorCode = code;
        FErrorDescription = QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code));
        return false;
    }
    if (!BodyMatchesItsLength()) {
        Fail(CURLE_PARTIAL_FILE);
        return false;
    }
    return true;
}

void THTTPClient::Fail(int Code)
{
    FErrorCode = Code;
    FErrorDescription = QString::fromUtf8(curl_easy_strerror(CURLcode(Code)));
}

bool THTTPClient::BodyMatchesItsLength() const
{
    // These answers have no body whatever length they announce, and a
    // transfer coding overrides the length.
    if (FStatusCode == 204 || FStatusCode == 304 || !Header(QStringLiteral("Transfer-Encoding")).isEmpty())
        return true;
    // libcurl trusts the last of several Content-Length headers; every one
    // must agree with what arrived.
    for (const auto &[name, value] : FResponseHeaders) {
        if (name.compare(u"Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        for (const QString &item : value.split(u',')) {
            bool isNumber = false;
            const qint64 length = item.trimmed().toLongLong(&isNumber);
            if (!isNumber || length != FBodySize)
                return false;
        }
    }
    return true;
}

template<class TCall> bool THTTPClient::Guard(TCall &&Call)
{
    try {
        Call();
        return true;
    } catch (...) {
        FHandlerError = std::current_exception();
        return false;
    }
}

QString THTTPClient::Header(const QString &Name) const
{
    for (const auto &[name, value] : FResponseHeaders)
        if (name.compare(Name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QStringList THTTPClient::Headers(const QString &Name) const
{
    QStringList values;
    for (const auto &[name, value] : FResponseHeaders)
        if (name.compare(Name, Qt::CaseInsensitive) == 0)
            values.append(value);
    return values;
}

void THTTPClient::UpdateCookies(QStringList &Cookies) const
{
    for (const auto &[name, headerValue] : FResponseHeaders) {
        if (name.compare(u"Set-Cookie", Qt::CaseInsensitive) != 0)
            continue;
        const QString pair = headerValue.section(u';', 0, 0).trimmed();
        const qsizetype eq = pair.indexOf(u'=');
        const QString cookieName = (eq < 0 ? pair : pair.left(eq)).trimmed();
        const QString cookieValue = eq < 0 ? QString() : pair.mid(eq + 1).trimmed();
        qsizetype index = -1;
        for (qsizetype i = 0; i < Cookies.size() && index < 0; ++i)
            if (Cookies[i].section(u'=', 0, 0) == cookieName)
                index = i;
        if (cookieValue.isEmpty()) {
            if (index >= 0)
                Cookies.removeAt(index);
        } else if (index >= 0) {
            Cookies[index] = cookieName + u'=' + cookieValue;
        } else {
            Cookies << cookieName + u'=' + cookieValue;
        }
    }
}

void THTTPClient::AddHeader(const QByteArray &Line)
{
    const QByteArray line = Line.trimmed();
    if (line.startsWith("HTTP/")) {
        // A new response begins (after a 100 Continue, say): forget the last one.
        FResponseHeaders.clear();
        FBodySize = 0;
        const QList<QByteArray> parts = line.split(' ');
        FStatusCode = parts.value(1).toInt();
        const qsizetype reasonStart = line.indexOf(' ', line.indexOf(' ') + 1);
        FReasonPhrase = reasonStart < 0 ? QString() : QString::fromUtf8(line.mid(reasonStart + 1));
    } else if (line.isEmpty()) {
        if (FStatusCode >= 200 && OnHeaders)
            OnHeaders();
    } else {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            FResponseHeaders.append(
                {QString::fromUtf8(line.left(colon).trimmed()), QString::fromUtf8(line.mid(colon + 1).trimmed())});
    }
}

// Returning anything but the size given, or a non-zero progress answer, makes
// libcurl end the exchange.
size_t THTTPClient::HeaderCallback(char *Data, size_t Size, size_t Count, void *Client)
{
    auto *client = static_cast<THTTPClient *>(Client);
    const bool handled
        = client->Guard([&] { client->AddHeader(QByteArray::fromRawData(Data, qsizetype(Size * Count))); });
    return handled ? Size * Count : 0;
}

size_t THTTPClient::WriteCallback(char *Data, size_t Size, size_t Count, void *Client)
{
    return static_cast<THTTPClient *>(Client)->WriteBody(Data, qsizetype(Size * Count)) ? Size * Count : 0;
}

bool THTTPClient::WriteBody(const char *Data, qsizetype Size)
{
    FBodySize += Size;
    if (FMaxBodySize > 0 && FBodySize > FMaxBodySize) {
        FBodyTooLarge = true;
        return false;
    }
    bool keepGoing = true;
    return Guard([&] { keepGoing = !OnData || OnData(Data, Size); }) && keepGoing;
}

int THTTPClient::ProgressCallback(void *Client, long long, long long, long long, long long)
{
    auto *client = static_cast<THTTPClient *>(Client);
    bool aborted = false;
    return client->Guard([&] { aborted = client->IsAborted && client->IsAborted(); }) && !aborted ? 0 : 1;
}
