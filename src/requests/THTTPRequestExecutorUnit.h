#pragma once

#include "foundation/TThreadedObjectUnit.h"

#include <QString>
#include <QStringList>

#include <cstdint>

enum THTTPRequestResultCode : std::uint8_t {
    hrOK = 0, // status 200
    hrRedirect = 1, // 301, 302 or 307; not followed
    hrHTTPError = 2, // any other status
    hrTransportError = 3, // the exchange did not complete
    hrException = 4, // an error was raised during the exchange
};

struct THTTPRequestResult
{
    THTTPRequestResultCode ResultCode = hrOK;
    // The body decoded as UTF-8, whenever the server answered.
    QString Response;
    // The "Location" header, for code 1.
    QString Location;
    // For 2: status and reason phrase; for 3: transport error number and
    // description; for 4: the error's message.
    QString ErrorMessage;
};

// One HTTP exchange: a GET, or a POST of form fields when PostData has lines.
// Both time-outs are 5000 ms; aborting does not cut a running exchange short.
// The answer is kept in memory, so one larger than THTTPClient's
// MaxMemoryBodySize fails the exchange (code 3) instead of growing until
// memory runs out.
class THTTPRequestExecutor : public TThreadedObject
{
public:
    explicit THTTPRequestExecutor(QString AURL);

    const QString &URL() const { return FURL; }
    // "name=value" lines; replaced by the server-updated jar after a completed exchange.
    QStringList &Cookies() { return FCookies; }
    // "name=value" lines of the form body; values are percent-encoded when sent.
    QStringList &PostData() { return FPostData; }
    // Complete header lines ("Referer: ..."); empty means none.
    const QString &Referer() const { return FReferer; }
    void SetReferer(const QString &Value) { FReferer = Value; }
    const QString &Origin() const { return FOrigin; }
    void SetOrigin(const QString &Value) { FOrigin = Value; }
    // Empty means no Content-Type header.
    const QString &MimeType() const { return FMimeType; }
    void SetMimeType(const QString &Value) { FMimeType = Value; }

    const THTTPRequestResult &Result() const { return FResult; }

protected:
    void Execute() override;
    // No thread for the exchange: it never took place.
    void ExecuteFailed(const QString &Message) override;

private:
    QString FURL;
    QStringList FCookies;
    QStringList FPostData;
    QString FReferer;
    QString FMimeType;
    QString FOrigin;
    THTTPRequestResult FResult;
};
