#include "requests/THTTPFileDownloaderUnit.h"

#include "app/helpers/FileUtilsUnit.h"
#include "foundation/InterfaceThreadUnit.h"
#include "requests/THTTPClientUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

THTTPFileDownloader::THTTPFileDownloader(QString AURL, const QString &AFilePath) :
      FURL(std::move(AURL)), FDownloadDestination(ddFile), FFilePath(QFileInfo(AFilePath).absoluteFilePath())
{
    QDir().mkpath(QFileInfo(FFilePath).absolutePath());
    ReserveFilePath();
}

THTTPFileDownloader::THTTPFileDownloader(QString AURL) :
      FURL(std::move(AURL)), FDownloadDestination(ddStream), FContent(std::make_unique<QByteArray>())
{
    FResult.ContentStream = FContent.get();
}

THTTPFileDownloader::~THTTPFileDownloader()
{
    // Never started (or refused): give the reserved name back.
    if (FFile)
        FFile->remove();
}

void THTTPFileDownloader::ReserveFilePath()
{
    // Creating the partial file exclusively is what makes the name ours: of
    // two downloads racing for it, the second moves on to the next name.
    for (;;) {
        const QString path = MakeUniqueFilePath(FFilePath);
        auto file = std::make_unique<QFile>(PartialFilePath(path));
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            FFilePath = path;
            FFile = std::move(file);
            return;
        }
        if (!file->exists())
            return; // cannot be created: Execute reports code 5
    }
}

void THTTPFileDownloader::Execute()
{
    try {
        Download();
    } catch (const Exception &error) {
        ExecuteFailed(error.Message());
    } catch (const std::exception &error) {
        ExecuteFailed(QString::fromLocal8Bit(error.what()));
    }
    if (FFile) {
        FFile->close();
        if (FResult.ResultCode == fdOK && !MoveIntoPlace())
            FResult.ResultCode = fdFileNotCreated;
        if (FResult.ResultCode != fdOK)
            FFile->remove();
        FFile.reset();
    }
}

void THTTPFileDownloader::ExecuteFailed(const QString &Message)
{
    FResult.ResultCode = fdFailed;
    FResult.ErrorMessage = Message;
}

bool THTTPFileDownloader::MoveIntoPlace()
{
    // QFile::rename never replaces an existing file. A name taken since the
    // reservation (by something else than a download) gives way to the next.
    QString target = FFilePath;
    while (!FFile->rename(target)) {
        if (!QFileInfo::exists(target))
            return false;
        target = MakeUniqueFilePath(FFilePath);
    }
    FFilePath = target;
    return true;
}

void THTTPFileDownloader::Download()
{
    if (FDownloadDestination == ddFile && !FFile) {
        FResult.ResultCode = fdFileNotCreated;
        return;
    }

    THTTPClient client;
    client.SetStallTimeout(static_cast<long>(FStallTimeout.count()));
    if (FDownloadDestination == ddStream)
        client.SetMaxBodySize(THTTPClient::MaxMemoryBodySize);
    client.OnHeaders = [this, &client] { FFileSize = client.Header(QStringLiteral("Content-Length")).toLongLong(); };
    client.OnData = [this](const char *Data, qsizetype Size) { return WriteBlock(Data, Size); };
    client.IsAborted = [this] { return IsAborted(); };

    if (client.Perform(FURL)) {
        if (client.StatusCode() == 200) {
            FResult.ResultCode = fdOK;
        } else {
            FResult.ResultCode = fdHTTPError;
            FResult.ErrorMessage = QString::number(client.StatusCode()) + u' ' + client.ReasonPhrase();
        }
    } else {
        FResult.ResultCode = IsAborted() ? fdAborted : fdFailed;
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
            // A failing progress handler does not stop the download.
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
