#include "vkweb/VKEmulationUtilsUnit.h"

#include "app/helpers/RemoteHostsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "requests/THTTPClientUnit.h"
#include "vkweb/TCookieManagerUnit.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace {

constexpr int MaxRedirects = 5;

bool IsRedirect(int Status)
{
    return (Status >= 301 && Status <= 304) || Status == 307;
}

bool TurnsIntoGet(int Status)
{
    return Status >= 301 && Status <= 303;
}

} // namespace

QString GetVKWebOrigin()
{
    const QUrl url(GetVKWebURL());
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded);
}

int SendVKRequest(const QString &URL, const std::optional<QString> &Body, TCookieManager &CookieManager,
    QByteArray &Answer, const TVKTransportTimeouts &Timeouts)
{
    const QString referer = QStringLiteral("Referer: ") + GetVKWebOrigin();
    QUrl url(URL);
    std::optional<QByteArray> body;
    if (Body)
        body = Body->toLocal8Bit();
    QElapsedTimer sinceStart;
    sinceStart.start();

    for (int redirects = 0;; ++redirects) {
        Answer.clear();
        THTTPClient client;
        client.SetTimeouts(Timeouts.ConnectMilliseconds, 0);
        client.AddHeaderLine(QStringLiteral("User-Agent: Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 "
                                            "(KHTML, like Gecko) Chrome/54.0.2840.59 Safari/537.36"));
        client.AddHeaderLine(QStringLiteral("Accept-Language: ru,en-US;q=0.8,en;q=0.6"));
        client.AddHeaderLine(
            QStringLiteral("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8"));
        client.AddHeaderLine(referer);
        if (body) {
            client.SetContentType(QStringLiteral("application/x-www-form-urlencoded"));
            client.SetBody(*body);
        }
        const QByteArray cookies = CookieManager.CookieHeader(url);
        if (!cookies.isEmpty())
            client.SetCookies({QString::fromUtf8(cookies)});
        client.SetMaxBodySize(THTTPClient::MaxMemoryBodySize);

        // The response time-out counts from the last sign of life, so a slow
        // but steady answer is not cut off by it; the whole exchange still
        // has its deadline.
        QElapsedTimer sinceActivity;
        sinceActivity.start();
        bool stalled = false;
        bool overdue = false;
        client.OnData = [&](const char *Data, qsizetype Size) {
            sinceActivity.restart();
            Answer.append(Data, Size);
            return true;
        };
        client.OnHeaders = [&] { sinceActivity.restart(); };
        client.IsAborted = [&] {
            stalled = sinceActivity.elapsed() > Timeouts.ResponseMilliseconds;
            overdue = sinceStart.elapsed() > Timeouts.TotalMilliseconds;
            return stalled || overdue;
        };

        const bool completed = client.Perform(url.toString(QUrl::FullyEncoded));
        // Cookies count even from an answer that then broke off.
        CookieManager.AddServerCookies(client.Headers(QStringLiteral("Set-Cookie")), url);
        if (stalled)
            throw Exception(QStringLiteral("The operation timed out: no answer from %1 for %2 ms")
                                .arg(url.host())
                                .arg(Timeouts.ResponseMilliseconds));
        if (overdue)
            throw Exception(QStringLiteral("The operation timed out: the exchange with %1 took over %2 ms")
                                .arg(url.host())
                                .arg(Timeouts.TotalMilliseconds));
        if (!completed)
            throw Exception(client.ErrorDescription());

        const int status = client.StatusCode();
        const QString location = client.Header(QStringLiteral("Location"));
        if (!IsRedirect(status) || location.isEmpty())
            return status;
        if (redirects == MaxRedirects)
            throw Exception(QStringLiteral("Maximum number of redirections (%1) exceeded").arg(MaxRedirects));
        url = url.resolved(QUrl(location)).adjusted(QUrl::RemoveFragment);
        if (TurnsIntoGet(status))
            body.reset();
    }
}

QString ExtractRegExGroup(const QString &Text, const QString &Pattern)
{
    const QRegularExpression expression(Pattern);
    if (!expression.isValid() || expression.captureCount() < 1)
        return {};
    QRegularExpressionMatchIterator matches = expression.globalMatch(Text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (match.capturedLength(0) > 0)
            return match.captured(1);
    }
    return {};
}

QString DecodeWindows1251(const QByteArray &Bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(Bytes);
}
