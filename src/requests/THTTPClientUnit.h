#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

#include "platform/CurlUnit.h"

// One HTTP/1.1 exchange over libcurl (TLS from OpenSSL, certificates
// verified); a fresh client per exchange. Redirects are not followed, no
// proxy is used for loopback addresses, and nothing is decompressed.
class THTTPClient
{
public:
    // The most an answer kept in memory may hold.
    static constexpr qint64 MaxMemoryBodySize = 32 * 1024 * 1024;

    THTTPClient();
    ~THTTPClient();
    THTTPClient(const THTTPClient &) = delete;
    THTTPClient &operator=(const THTTPClient &) = delete;

    void SetTimeouts(long ConnectMilliseconds, long TotalMilliseconds);
    // An exchange that receives next to nothing (under a byte a second) for
    // Seconds fails ("28 Operation too slow"), whatever its total time-out.
    void SetStallTimeout(long Seconds);
    // Empty: no Content-Type header at all.
    void SetContentType(const QString &MimeType);
    // A complete header line, sent as it is.
    void AddHeaderLine(const QString &Line);
    // "name=value" lines, sent as one "Cookie" header.
    void SetCookies(const QStringList &Cookies);
    // Makes the exchange a POST of Body; without it the exchange is a GET.
    void SetBody(const QByteArray &Body);
    // A larger body ends the exchange as failed ("63 Maximum file size
    // exceeded"), at once when the server announces it; 0 means no limit.
    void SetMaxBodySize(qint64 Size);

    // The handlers run inside libcurl, which cannot carry an exception: one
    // thrown by a handler (running out of memory, say) ends the exchange, and
    // Perform throws it again once libcurl has returned.

    // Each block of the body as it arrives; returning false stops the exchange.
    std::function<bool(const char *Data, qsizetype Size)> OnData;
    // When the headers of the final response are complete.
    std::function<void()> OnHeaders;
    // Called while the exchange runs; returning true aborts it.
    std::function<bool()> IsAborted;

    // Runs the exchange; true when the server's answer was received whole: a
    // body shorter or longer than an announced Content-Length is a failed
    // exchange ("18 Transferred a partial file"), whatever libcurl made of it.
    bool Perform(const QString &URL);

    int StatusCode() const { return FStatusCode; }
    const QString &ReasonPhrase() const { return FReasonPhrase; }
    // The first response header of that name (compared without regard to case).
    QString Header(const QString &Name) const;
    // Every response header of that name, in the order received.
    QStringList Headers(const QString &Name) const;
    // Cookies updated by every "Set-Cookie" of the response, in order: a
    // cookie of the same name is replaced in place, a new one appended, and
    // an empty value removes it.
    void UpdateCookies(QStringList &Cookies) const;

    // After a failed exchange: the transport's error number and description.
    int ErrorCode() const { return FErrorCode; }
    const QString &ErrorDescription() const { return FErrorDescription; }

private:
    static size_t HeaderCallback(char *Data, size_t Size, size_t Count, void *Client);
    static size_t WriteCallback(char *Data, size_t Size, size_t Count, void *Client);
    static int ProgressCallback(void *Client, long long, long long, long long, long long);
    void AddHeader(const QByteArray &Line);
    bool WriteBody(const char *Data, qsizetype Size);
    // Runs a handler; false when it threw, whose error is then kept for Perform.
    template<class TCall> bool Guard(TCall &&Call);
    bool BodyMatchesItsLength() const;
    void Fail(int Code);

    Curl::TEasyHandle FHandle;
    Curl::THeaderList FHeaderLines;
    QByteArray FBody;
    bool FHasBody = false;
    QByteArray FCookieHeader;
    qint64 FMaxBodySize = 0;
    qint64 FBodySize = 0;
    bool FBodyTooLarge = false;
    std::exception_ptr FHandlerError;
    int FStatusCode = 0;
    QString FReasonPhrase;
    QList<QPair<QString, QString>> FResponseHeaders;
    int FErrorCode = 0;
    QString FErrorDescription;
};
