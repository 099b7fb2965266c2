#include "requests/THTTPRequestExecutorUnit.h"

#include "requests/THTTPClientUnit.h"
#include "app/TextUtilsUnit.h"

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
                FResult.ResultCode = 0;
            } else if (status == 301 || status == 302 || status == 307) {
                FResult.ResultCode = 1;
                FResult.Location = client.Header(QStringLiteral("Location"));
            } else {
                FResult.ResultCode = 2;
                FResult.ErrorMessage = QString::number(status) + u' ' + client.ReasonPhrase();
            }
        } else {
            FResult.ResultCode = 3;
            FResult.ErrorMessage = QString::number(client.ErrorCode()) + u' ' + client.ErrorDescription();
        }
    } catch (const Exception &error) {
        FResult.ResultCode = 4;
        FResult.ErrorMessage = error.Message();
    } catch (const std::exception &error) {
        FResult.ResultCode = 4;
        FResult.ErrorMessage = QString::fromLocal8Bit(error.what());
    } catch (...) {
        FResult.ResultCode = 4;
        FResult.ErrorMessage = QStringLiteral("Unknown error");
    }
}
