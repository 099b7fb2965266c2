#include "lastfm/TLastFMArtistImageUnit.h"

#include "foundation/BaseTypesUnit.h"
#include "lastfm/TLastFMAPIRequestFactoryUnit.h"
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "requests/THTTPFileDownloaderUnit.h"
#include "requests/THTTPRequestExecutorUnit.h"

#include <QJsonArray>

void TLastFMArtistGetInfoParser::Execute()
{
    try {
        const QJsonObject answer = LastFMJSON::ParseObject(FJSONString);
        if (answer.contains(QStringLiteral("error"))) {
            FResultCode = 2;
            FErrorMessage = LastFMJSON::Text(answer, QStringLiteral("message"));
            return;
        }
        FResultCode = 2;
        const QJsonValue images = LastFMJSON::Payload(answer).value(QStringLiteral("image"));
        if (!images.isArray())
            throw Exception(QStringLiteral("The member \"image\" is not a list"));
        for (const QJsonValue &image : images.toArray()) {
            if (image.toObject().value(QStringLiteral("size")).toString() == u"large") {
                FImageURL = LastFMJSON::Text(image.toObject(), QStringLiteral("#text"));
                FResultCode = 0;
                return;
            }
        }
    } catch (const Exception &error) {
        ExecuteFailed(error.Message());
    }
}

void TLastFMArtistGetInfoParser::ExecuteFailed(const QString &Message)
{
    FResultCode = 1;
    FErrorMessage = Message;
}

void TLastFMArtistRandomImageGetter::Execute()
{
    try {
        Fetch();
    } catch (const std::exception &error) {
        ExecuteFailed(QString::fromLocal8Bit(error.what()));
    }
    if (IsAborted())
        FImageDataStream.reset();
}

void TLastFMArtistRandomImageGetter::ExecuteFailed(const QString &Message)
{
    FResultCode = 3;
    FErrorMessage = Message;
    FImageDataStream.reset();
}

void TLastFMArtistRandomImageGetter::Fetch()
{
    THTTPRequestExecutor executor(
        TLastFMAPIRequestFactory::ConstructArtistGetInfoRequestDepr(LastFMAPIKey, FArtistName, 1));
    executor.Start(true);
    if (executor.Result().ResultCode != hrOK) {
        FResultCode = 2;
        FErrorMessage = executor.Result().ErrorMessage;
        return;
    }
    TLastFMArtistGetInfoParser parser(executor.Result().Response);
    parser.Start(true);
    if (parser.ResultCode() != 0) {
        FResultCode = 2;
        FErrorMessage = parser.ErrorMessage();
        return;
    }
    THTTPFileDownloader downloader(parser.ImageURL());
    downloader.Start(true);
    if (downloader.Result().ResultCode != fdOK) {
        FResultCode = 2;
        FErrorMessage = downloader.Result().ErrorMessage;
        return;
    }
    FImageDataStream = std::make_unique<QByteArray>(*downloader.Result().ContentStream);
    FResultCode = 0;
}
