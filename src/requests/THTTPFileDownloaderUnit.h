#pragma once

#include "foundation/TThreadedObjectUnit.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QFile;

enum TDownloadDestination { ddFile, ddStream };

struct TFileDownloadResult
{
    // 0 status 200, body stored; 1 another status; 2 the exchange failed or
    // an error was raised; 4 aborted; 5 the destination file could not be created.
    std::uint8_t ResultCode = 0;
    // For 1: status and reason phrase; for 2 and 4: the transport's error
    // number and description, or the error's message.
    QString ErrorMessage;
    // For ddStream: the body, owned by the downloader; null for ddFile.
    const QByteArray *ContentStream = nullptr;
};

using TDownloadProgressEvent = std::function<void(TObject *Sender, std::uint8_t ProgressPercent)>;

// Fetches one URL with a GET into a file or into memory, reporting progress
// in whole percent on the interface thread. A file download writes into a
// ".part" file beside the destination and puts it in place only when the
// download has succeeded, so the destination never holds a partial body.
class THTTPFileDownloader : public TThreadedObject
{
public:
    // Into a file; the folders of the path are created at once.
    THTTPFileDownloader(QString AURL, const QString &AFilePath);
    // Into memory (Result().ContentStream).
    explicit THTTPFileDownloader(QString AURL);
    ~THTTPFileDownloader() override;

    const QString &URL() const { return FURL; }
    const QString &FilePath() const { return FFilePath; }
    const TFileDownloadResult &Result() const { return FResult; }

    // Raised synchronously on the interface thread once per change of the
    // percentage; never when the server announces no length.
    void SetOnDownloadProgress(TDownloadProgressEvent Event) { FOnDownloadProgress = std::move(Event); }

protected:
    void Execute() override;

private:
    void Download();
    bool WriteBlock(const char *Data, qsizetype Size);
    static QString PartialFilePath(const QString &FilePath);

    QString FURL;
    TDownloadDestination FDownloadDestination;
    QString FFilePath;
    std::unique_ptr<QFile> FFile;
    std::unique_ptr<QByteArray> FContent;
    TFileDownloadResult FResult;
    std::int64_t FFileSize = 0;
    std::int64_t FLoadedFileSize = 0;
    std::uint8_t FLoadedPercent = 0;
    TDownloadProgressEvent FOnDownloadProgress;
};
