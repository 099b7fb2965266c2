#include "requests/THTTPFileDownloaderUnit.h"

#include "app/helpers/FileUtilsUnit.h"
#include "foundation/InterfaceThreadUnit.h"
#include "requests/THTTPClientUnit.h"
#include "support/TestHTTPServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

std::string Body(std::size_t Size)
{
    std::string body(Size, '\0');
    for (std::size_t i = 0; i < Size; ++i)
        body[i] = char('a' + (i * 7 + i / 1000) % 26);
    return body;
}

// Sends Body in blocks of BlockSize, with or without a Content-Length.
TRawTestServer::THandler Serve(std::string Body, bool WithLength = true, std::size_t BlockSize = 64 * 1024)
{
    return [=](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        if (!connection.Send(TRawTestServer::Head(200, "OK", WithLength ? (long long)Body.size() : -1)))
            return;
        for (std::size_t at = 0; at < Body.size(); at += BlockSize)
            if (!connection.Send(std::string_view(Body).substr(at, BlockSize)))
                return;
    };
}

QByteArray ReadFile(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString &Path, const QByteArray &Data)
{
    QDir().mkpath(QFileInfo(Path).absolutePath());
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Data);
}

class HTTPFileDownloaderTest : public ::testing::Test
{
protected:
    QString Destination() const { return FFolder.path() + QStringLiteral("/music/Artist - Title.mp3"); }
    QString Second() const { return FFolder.path() + QStringLiteral("/music/Artist - Title (2).mp3"); }
    // Nothing but the destination, if anything, is left in its folder.
    QStringList LeftFiles() const
    {
        return QDir(FFolder.path() + QStringLiteral("/music")).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir FFolder;
};

} // namespace

TEST_F(HTTPFileDownloaderTest, FileDownloadReportsEachPercentOnceOnTheInterfaceThread)
{
    const std::string body = Body(3 * 1024 * 1024 + 123);
    TRawTestServer server(Serve(body));
    THTTPFileDownloader downloader(server.URL(QStringLiteral("/track.mp3")), Destination());
    EXPECT_TRUE(QDir(FFolder.path() + QStringLiteral("/music")).exists()); // made at construction

    std::vector<int> progress;
    bool offInterfaceThread = false;
    downloader.SetOnDownloadProgress([&](TObject *Sender, std::uint8_t Percent) {
        EXPECT_EQ(Sender, &downloader);
        offInterfaceThread |= !InterfaceThread::IsCurrent();
        progress.push_back(Percent);
    });
    downloader.Start(true);

    EXPECT_EQ(downloader.Result().ResultCode, fdOK);
    EXPECT_TRUE(downloader.Result().ErrorMessage.isEmpty());
    EXPECT_EQ(downloader.Result().ContentStream, nullptr);
    EXPECT_EQ(ReadFile(Destination()), QByteArray::fromStdString(body));
    EXPECT_EQ(LeftFiles(), QStringList {QStringLiteral("Artist - Title.mp3")});
    EXPECT_FALSE(offInterfaceThread);
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.size(), 100u);
    EXPECT_EQ(progress.back(), 100);
    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i], progress[i - 1]);
}

TEST_F(HTTPFileDownloaderTest, BodyWithoutLengthCompletesWithoutProgress)
{
    const std::string body = Body(300 * 1024);
    TRawTestServer server(Serve(body, false));
    THTTPFileDownloader downloader(server.URL(), Destination());
    int events = 0;
    downloader.SetOnDownloadProgress([&](TObject *, std::uint8_t) { ++events; });
    downloader.Start(true);
    EXPECT_EQ(downloader.Result().ResultCode, fdOK);
    EXPECT_EQ(ReadFile(Destination()), QByteArray::fromStdString(body));
    EXPECT_EQ(events, 0);
}

TEST_F(HTTPFileDownloaderTest, StreamDownloadKeepsTheBodyInMemory)
{
    const std::string body = "\x89PNG\r\n\x1a\n" + Body(5000) + "Привет";
    TRawTestServer server(Serve(body, true, 1000));
    THTTPFileDownloader downloader(server.URL(QStringLiteral("/cover.png")));
    downloader.Start(true);
    EXPECT_EQ(downloader.Result().ResultCode, fdOK);
    ASSERT_NE(downloader.Result().ContentStream, nullptr);
    EXPECT_EQ(*downloader.Result().ContentStream, QByteArray::fromStdString(body));
}

TEST_F(HTTPFileDownloaderTest, RefusedCutStalledAndAbortedDownloadsLeaveNoFile)
{
    struct TCase
    {
        const char *Name;
        TRawTestServer::THandler Handler;
        bool AbortOnProgress;
        TFileDownloadResultCode Code;
        const char *MessageStart;
    } cases[] = {
        {"refused",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(404, "No Such Track", 9) + "not found");
            },
            false, fdHTTPError, "404 No Such Track"},
        {"cut",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(200000, 'x'));
            },
            false, fdFailed, "18 "},
        // libcurl alone would take the last length and the short body as whole.
        {"lying about its length",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(
                    TRawTestServer::Head(200, "OK", -1, {"Content-Length: 1000000", "Content-Length: 200000"})
                    + std::string(200000, 'x'));
            },
            false, fdFailed, "18 "},
        {"aborted",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(200000, 'x'));
                connection.Stall();
            },
            true, fdAborted, "42 "},
        {"stalled",
            [](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
                connection.Send(TRawTestServer::Head(200, "OK", 1000000) + std::string(200000, 'x'));
                connection.Stall();
            },
            false, fdFailed, "28 "},
    };
    for (auto &c : cases) {
        TRawTestServer server(c.Handler);
        THTTPFileDownloader downloader(server.URL(), Destination());
        downloader.SetStallTimeout(std::chrono::seconds(1));
        if (c.AbortOnProgress)
            downloader.SetOnDownloadProgress([&](TObject *, std::uint8_t) { downloader.Abort(); });
        downloader.Start(true);
        EXPECT_EQ(downloader.Result().ResultCode, c.Code) << c.Name;
        EXPECT_TRUE(downloader.Result().ErrorMessage.startsWith(QLatin1String(c.MessageStart)))
            << c.Name << ": " << downloader.Result().ErrorMessage.toStdString();
        EXPECT_TRUE(LeftFiles().isEmpty()) << c.Name;
    }
}

TEST_F(HTTPFileDownloaderTest, AnExistingFileIsNeverReplaced)
{
    const QByteArray older("an older, longer download of the same track");
    TRawTestServer cut([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", 100) + "new");
    });
    TRawTestServer whole(Serve("new body"));

    // The file is there before the download is made, or appears while it runs.
    for (const bool before : {true, false}) {
        QDir(FFolder.path() + QStringLiteral("/music")).removeRecursively();
        if (before)
            WriteFile(Destination(), older);

        THTTPFileDownloader failed(cut.URL(), Destination());
        failed.Start(true);
        EXPECT_EQ(failed.Result().ResultCode, fdFailed);

        THTTPFileDownloader succeeded(whole.URL(), Destination());
        if (!before) {
            EXPECT_EQ(succeeded.FilePath(), Destination());
            WriteFile(Destination(), older);
        }
        succeeded.Start(true);
        EXPECT_EQ(succeeded.Result().ResultCode, fdOK) << before;
        EXPECT_EQ(succeeded.FilePath(), Second()) << before;
        EXPECT_EQ(ReadFile(Destination()), older) << before;
        EXPECT_EQ(ReadFile(Second()), QByteArray("new body")) << before;
        EXPECT_EQ(LeftFiles().size(), 2) << before;
    }
}

TEST_F(HTTPFileDownloaderTest, TwoDownloadsOfTheSameNameGetAFileEach)
{
    // A double click: both are made before either starts, and the one made
    // second finishes first.
    TRawTestServer first(Serve(Body(500 * 1024)));
    TRawTestServer second(Serve("the second"));
    THTTPFileDownloader a(first.URL(), Destination());
    THTTPFileDownloader b(second.URL(), MakeUniqueFilePath(Destination()));
    EXPECT_EQ(a.FilePath(), Destination());
    EXPECT_EQ(b.FilePath(), Second());

    b.Start(true);
    a.Start(true);
    EXPECT_EQ(a.Result().ResultCode, fdOK);
    EXPECT_EQ(b.Result().ResultCode, fdOK);
    EXPECT_EQ(ReadFile(Destination()), QByteArray::fromStdString(Body(500 * 1024)));
    EXPECT_EQ(ReadFile(Second()), QByteArray("the second"));

    // Even a caller that asks for a name already reserved gets a file of its own.
    THTTPFileDownloader c(second.URL(), FFolder.path() + QStringLiteral("/music/Other.mp3"));
    THTTPFileDownloader d(second.URL(), FFolder.path() + QStringLiteral("/music/Other.mp3"));
    EXPECT_NE(c.FilePath(), d.FilePath());
}

TEST_F(HTTPFileDownloaderTest, ADownloaderNeverStartedGivesItsNameBack)
{
    {
        THTTPFileDownloader downloader(QStringLiteral("http://127.0.0.1:1/"), Destination());
        EXPECT_EQ(LeftFiles(), QStringList {QStringLiteral("Artist - Title.mp3.part")});
    }
    EXPECT_TRUE(LeftFiles().isEmpty());
}

TEST_F(HTTPFileDownloaderTest, UncreatableDestinationIsCode5)
{
    QFile blocker(FFolder.path() + QStringLiteral("/not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    TRawTestServer server(Serve("body"));
    THTTPFileDownloader downloader(server.URL(), blocker.fileName() + QStringLiteral("/track.mp3"));
    downloader.Start(true);
    EXPECT_EQ(downloader.Result().ResultCode, fdFileNotCreated);
    EXPECT_TRUE(downloader.Result().ErrorMessage.isEmpty());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HTTPFileDownloaderTest, UnreachableServerIsCode2)
{
    THTTPFileDownloader downloader(QStringLiteral("http://127.0.0.1:%1/x").arg(UnusedLoopbackPort()));
    downloader.Start(true);
    EXPECT_EQ(downloader.Result().ResultCode, fdFailed);
    EXPECT_TRUE(downloader.Result().ErrorMessage.startsWith(QStringLiteral("7 ")));
}

TEST_F(HTTPFileDownloaderTest, AnImageLargerThanTheMemoryLimitFails)
{
    TRawTestServer server([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        connection.Send(TRawTestServer::Head(200, "OK", -1, {"Connection: close"}));
        connection.Send(std::string(std::size_t(THTTPClient::MaxMemoryBodySize) + 1, 'x'));
    });
    THTTPFileDownloader downloader(server.URL());
    downloader.Start(true);
    EXPECT_EQ(downloader.Result().ResultCode, fdFailed);
    EXPECT_TRUE(downloader.Result().ErrorMessage.startsWith(QStringLiteral("63 ")))
        << downloader.Result().ErrorMessage.toStdString();
}

TEST_F(HTTPFileDownloaderTest, URLOfAnotherSchemeReadsNothing)
{
    // URLs come from remote answers; one naming a local file must not copy it.
    QFile secret(FFolder.path() + QStringLiteral("/secret.txt"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("private");
    secret.close();

    THTTPFileDownloader downloader(QUrl::fromLocalFile(secret.fileName()).toString());
    downloader.Start(true);
    EXPECT_EQ(downloader.Result().ResultCode, fdFailed);
    EXPECT_TRUE(downloader.Result().ErrorMessage.startsWith(QStringLiteral("1 ")))
        << downloader.Result().ErrorMessage.toStdString();
    EXPECT_TRUE(downloader.Result().ContentStream->isEmpty());
}
