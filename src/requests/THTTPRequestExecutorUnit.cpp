#include "requests/THTTPRequestExecutorUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "requests/THTTPClientUnit.h"

namespace {
constexpr long TimeoutMilliseconds = 5000;
}

THTTPRequestExecutor::THTTPRequestExecutor(QString AURL) : FURL(std::move(AURL))
{
}

void THTTPRequestExecutor::Execute()
{
    try {
        THTTPClient client;
        client.SetTimeouts(TimeoutMilliseconds, TimeoutMilliseconds);
        client.SetContentType(FMimeType);
        if (!FOrigin.isEmpty())
            client.AddHeaderLine(FOrigin);
        if (!FReferer.isEmpty())
            client.AddHeaderLine(FReferer);
        client.SetCookies(FCookies);
        client.SetMaxBodySize(THTTPClient::MaxMemoryBodySize);
        if (!FPostData.isEmpty())
            client.SetBody(EncodeURLParams(FPostData).toLatin1());

        QByteArray body;
        client.OnData = [&body](const char *Data, qsizetype Size) {
            body.append(Data, Size);
            return true;
        };

        if (client.Perform(FURL)) {
            client.UpdateCookies(FCookies);
            FResult.Response = QString::fromUtf8(body);
            const int status = client.StatusCode();
            if (status == 200) {
                FResult.ResultCode = hrOK;
            } else if (status == 301 || status == 302 || status == 307) {
                FResult.ResultCode = hrRedirect;
                FResult.Location = client.Header(QStringLiteral("Location"));
            } else {
                FResult.ResultCode = hrHTTPError;
                FResult.ErrorMessage = QString::number(status) + u' ' + client.ReasonPhrase();
            }
        } else {
            FResult.ResultCode = hrTransportError;
            FResult.ErrorMessage = QString::number(client.ErrorCode()) + u' ' + client.ErrorDescription();
        }
    } catch (const Exception &error) {
        ExecuteFailed(error.Message());
    } catch (const std::exception &error) {
        ExecuteFailed(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ExecuteFailed(QStringLiteral("Unknown error"));
    }
}

void THTTPRequestExecutor::ExecuteFailed(const QString &Message)
{
    FResult.ResultCode = hrException;
    FResult.ErrorMessage = Message;
}
