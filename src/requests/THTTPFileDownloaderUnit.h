#pragma once

#include "foundation/TThreadedObjectUnit.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class QFile;

enum TDownloadDestination { ddFile, ddStream };

enum TFileDownloadResultCode : std::uint8_t {
    fdOK = 0, // status 200, the body is stored
    fdHTTPError = 1, // another status
    fdFailed = 2, // the exchange failed, or an error was raised
    fdAborted = 4, // aborted (there is no code 3)
    fdFileNotCreated = 5, // the destination file could not be created
};

struct TFileDownloadResult
{
    TFileDownloadResultCode ResultCode = fdOK;
    // For 1: status and reason phrase; for 2 and 4: the transport's error
    // number and description, or the error's message.
    QString ErrorMessage;
    // For ddStream: the body, owned by the downloader; null for ddFile.
    const QByteArray *ContentStream = nullptr;
};

using TDownloadProgressEvent = std::function<void(TObject *Sender, std::uint8_t ProgressPercent)>;

// Fetches one URL with a GET into a file or into memory, reporting progress
// in whole percent on the interface thread.
//
// A file download writes into the partial file beside its destination
// (PartialFilePath) and puts it in place only when the download has
// succeeded, so the destination never holds a partial body. The name is
// reserved at construction: the partial file is created then, exclusively,
// and a name already taken by a file or by another download's partial file
// gives way to the next free one (MakeUniqueFilePath), so two downloads of the
// same "Artist - Title" never share a file. An existing file is never
// replaced, not even by the final rename.
//
// An in-memory body larger than THTTPClient::MaxMemoryBodySize fails (code 2),
// and so does a server that sends nothing for StallTimeout: the user can try
// again instead of waiting for ever.
class THTTPFileDownloader : public TThreadedObject
{
public:
    // Into a file; the folders of the path are created and the name reserved at once.
    THTTPFileDownloader(QString AURL, const QString &AFilePath);
    // Into memory (Result().ContentStream).
    explicit THTTPFileDownloader(QString AURL);
    ~THTTPFileDownloader() override;

    static constexpr std::chrono::seconds DefaultStallTimeout {30};

    const QString &URL() const { return FURL; }
    // The file the download goes to: the path given or, when that was taken,
    // the free name reserved instead. Read it after construction, and again
    // in the result callback (a name taken meanwhile by something else than a
    // download moves a finished download to the next free name).
    const QString &FilePath() const { return FFilePath; }
    const TFileDownloadResult &Result() const { return FResult; }

    // Raised synchronously on the interface thread once per change of the
    // percentage; never when the server announces no length.
    void SetOnDownloadProgress(TDownloadProgressEvent Event) { FOnDownloadProgress = std::move(Event); }
    // Before Start.
    void SetStallTimeout(std::chrono::seconds Timeout) { FStallTimeout = Timeout; }

protected:
    void Execute() override;
    void ExecuteFailed(const QString &Message) override;

private:
    void ReserveFilePath();
    void Download();
    bool WriteBlock(const char *Data, qsizetype Size);
    bool MoveIntoPlace();

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
    std::chrono::seconds FStallTimeout = DefaultStallTimeout;
};
