#include "requests/THTTPFileDownloaderUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "requests/THTTPClientUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

THTTPFileDownloader::THTTPFileDownloader(QString AURL, const QString &AFilePath)
    : FURL(std::move(AURL)), FDownloadDestination(ddFile), FFilePath(QFileInfo(AFilePath).absoluteFilePath())
{
    QDir().mkpath(QFileInfo(FFilePath).absolutePath());
}

THTTPFileDownloader::THTTPFileDownloader(QString AURL)
    : FURL(std::move(AURL)), FDownloadDestination(ddStream), FContent(std::make_unique<QByteArray>())
{
    FResult.ContentStream = FContent.get();
}

THTTPFileDownloader::~THTTPFileDownloader() = default;

QString THTTPFileDownloader::PartialFilePath(const QString &FilePath)
{
    return FilePath + QStringLiteral(".part");
}

void THTTPFileDownloader::Execute()
{
    try {
        Download();
    } catch (const Exception &error) {
        FResult.ResultCode = 2;
        FResult.ErrorMessage = error.Message();
    } catch (const std::exception &error) {
        FResult.ResultCode = 2;
        FResult.ErrorMessage = QString::fromLocal8Bit(error.what());
    }
    if (FFile) {
        FFile->close();
        if (FResult.ResultCode == 0) {
            // QFile::rename does not replace: an earlier file of that name goes first.
            QFile::remove(FFilePath);
            if (!FFile->rename(FFilePath)) {
                FResult.ResultCode = 5;
                FFile->remove();
            }
        } else {
            FFile->remove();
        }
    }
}

void THTTPFileDownloader::Download()
{
    if (FDownloadDestination == ddFile) {
        FFile = std::make_unique<QFile>(PartialFilePath(FFilePath));
        if (!FFile->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            FFile.reset();
            FResult.ResultCode = 5;
            return;
        }
    }

    THTTPClient client;
    client.OnHeaders = [this, &client] {
        FFileSize = client.Header(QStringLiteral("Content-Length")).toLongLong();
    };
    client.OnData = [this](const char *Data, qsizetype Size) { return WriteBlock(Data, Size); };
    client.IsAborted = [this] { return IsAborted(); };

    if (client.Perform(FURL)) {
        if (client.StatusCode() == 200) {
            FResult.ResultCode = 0;
        } else {
            FResult.ResultCode = 1;
            FResult.ErrorMessage = QString::number(client.StatusCode()) + u' ' + client.ReasonPhrase();
        }
    } else {
        FResult.ResultCode = IsAborted() ? 4 : 2;
        FResult.ErrorMessage = QString::number(client.ErrorCode()) + u' ' + client.ErrorDescription();
    }
}

bool THTTPFileDownloader::WriteBlock(const char *Data, qsizetype Size)
{
    if (FFile) {
        if (FFile->write(Data, Size) != Size)
            return false;
    } else {
        FContent->append(Data, Size);
    }
    FLoadedFileSize += Size;
    if (FFileSize > 0) {
        const auto percent = std::uint8_t(std::min<std::int64_t>(100, FLoadedFileSize * 100 / FFileSize));
        if (percent != FLoadedPercent) {
            FLoadedPercent = percent;
            // Nothing may be thrown through the transport's callback: a
            // failing progress handler does not stop the download.
            if (FOnDownloadProgress) {
                try {
                    InterfaceThread::Synchronize([this, percent] { FOnDownloadProgress(this, percent); });
                } catch (...) {
                }
            }
        }
    }
    return true;
}
