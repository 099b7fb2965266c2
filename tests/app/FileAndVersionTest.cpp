#include "app/helpers/FileUtilsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/helpers/TVersionInfoUnit.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FileUtils, RemoveInvalidFileNameChars)
{
    EXPECT_EQ(RemoveInvalidFileNameChars(QStringLiteral("AC/DC: Who? Кино")), QStringLiteral("ACDC Who Кино"));
    EXPECT_EQ(RemoveInvalidFileNameChars(QStringLiteral("a\"*<>\\|\tb\x01")), QStringLiteral("ab"));
}

TEST(FileUtils, NamesFromTheNetworkStayInsideTheirFolder)
{
    const struct
    {
        QString Text;
        QString Name;
    } cases[] = {
        {QStringLiteral(".."), QString()},
        {QStringLiteral("."), QString()},
        {QStringLiteral("../../etc/passwd"), QStringLiteral("....etcpasswd")},
        {QStringLiteral("..."), QStringLiteral("...")},
        {QStringLiteral("Track \u202Egpj.exe"), QStringLiteral("Track gpj.exe")},
        {QStringLiteral("\u2067Кино\u2069 \u200Fx"), QStringLiteral("Кино x")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RemoveInvalidFileNameChars(c.Text), c.Name) << c.Text.toStdString();
    EXPECT_EQ(MakeUniqueFilePath(QStringLiteral("no-such-song.mp3")), QStringLiteral("no-such-song.mp3"));
    EXPECT_EQ(MakeUniqueFilePath(QStringLiteral("/no-such-song.mp3")), QStringLiteral("/no-such-song.mp3"));
}

TEST(FileUtils, ALongNameIsCutToTheFileSystemLimitByWholeCharacters)
{
    QTemporaryDir dir;
    const QString cyrillic = QString(200, QChar(0x0416)); // two bytes each
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB8").repeated(100); // four bytes, two code units each
    for (const QString &base : {cyrillic, emoji, QStringLiteral("Ж") + emoji}) {
        const QString path = dir.filePath(base + QStringLiteral(".mp3"));
        for (int copy = 1; copy <= 2; ++copy) {
            const QString unique = MakeUniqueFilePath(path);
            const QString name = QFileInfo(unique).fileName();
            EXPECT_TRUE(name.endsWith(copy == 1 ? QStringLiteral(".mp3") : QStringLiteral(" (2).mp3")))
                << name.toStdString();
            EXPECT_LE(PartialFilePath(name).toUtf8().size(), 255);
            EXPECT_GE(PartialFilePath(name).toUtf8().size(), 251) << "cut no more than needed";
            EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "no character split";
            QFile partial(PartialFilePath(unique));
            ASSERT_TRUE(partial.open(QIODevice::WriteOnly)) << partial.errorString().toStdString();
            QFile file(unique);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
            partial.remove();
        }
    }
}

TEST(FileUtils, MakeUniqueFilePathCountsUpAndKeepsTheLengthLimit)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Artist - Title.mp3"));
    EXPECT_EQ(MakeUniqueFilePath(path), path);
    QFile(path).open(QIODevice::WriteOnly);
    const QString second = dir.filePath(QStringLiteral("Artist - Title (2).mp3"));
    EXPECT_EQ(MakeUniqueFilePath(path), second);
    QFile(second).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueFilePath(path), dir.filePath(QStringLiteral("Artist - Title (3).mp3")));

    const QString longName = dir.path() + u'/' + QString(400, u'x') + QStringLiteral(".mp3");
    const QString cut = MakeUniqueFilePath(longName);
    EXPECT_EQ(cut, dir.path() + u'/' + QString(246, u'x') + QStringLiteral(".mp3")) << "255 bytes with \".part\"";
}

// The folder the user chose is kept whole however long it is; only the name
// is cut, by whole characters, to the file system's limit.
TEST(FileUtils, ALongFolderIsKeptAndOnlyTheNameIsCut)
{
    QTemporaryDir dir;
    QString folder = dir.path();
    while (folder.size() < 700)
        folder += u'/' + QString(61, QChar(0x0416)) + QString::number(folder.size());
    ASSERT_TRUE(QDir().mkpath(folder));
    // An odd number of code units of folder: a cut counted in them from the
    // whole path's length would split a pair.
    folder += QStringLiteral("/x");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB8");
    for (const QString &base : {QStringLiteral("Artist - Title"), emoji.repeated(80)}) {
        const QString unique = MakeUniqueFilePath(folder + u'/' + base + QStringLiteral(".mp3"));
        EXPECT_EQ(QFileInfo(unique).path(), folder);
        const QString name = QFileInfo(unique).fileName();
        EXPECT_TRUE(name.endsWith(u".mp3")) << name.toStdString();
        EXPECT_LE(PartialFilePath(name).toUtf8().size(), 255);
        EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "no character split";
        QFile file(unique);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
    }
}

// A downloaded track's file name from its artist, its title and its URL, as
// the music folder then holds it.
TEST(FileUtils, DownloadFileNamesAreValidNamesWithAKnownAudioExtension)
{
    QTemporaryDir dir;
    const QString url = QStringLiteral("http://127.0.0.1:1/audio/tone-3s.mp3?extra=a.b/c");
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB8");
    const QString letters250 = QString(250, u'a');
    const struct
    {
        const char *Case;
        QString Artist;
        QString Title;
        QString URL;
        QString Name; // empty: only the checks common to all
    } cases[] = {
        {"plain", QStringLiteral("C"), QStringLiteral("A B"), url, QStringLiteral("C_-_A_B.mp3")},
        {"invalid characters", QStringLiteral("AC/DC"), QStringLiteral("T.N.T."), url,
            QStringLiteral("ACDC_-_T.N.T..mp3")},
        {"upper-case suffix", QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("http://h/x/Song.FLAC"),
            QStringLiteral("C_-_A.flac")},
        {"unknown suffix", QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("http://h/x/get.php?id=1.mp3"),
            QStringLiteral("C_-_A")},
        {"no suffix", QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("http://h/a.b/12345"),
            QStringLiteral("C_-_A")},
        {"no URL", QStringLiteral("C"), QStringLiteral("A"), QString(), QStringLiteral("C_-_A")},
        {"a long suffix", QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("http://h/x/a.") + letters250,
            QStringLiteral("C_-_A")},
        {"a long title after a full stop", QString(), QStringLiteral(".") + letters250, url, {}},
        {"the same without an extension", QString(), QStringLiteral(".") + letters250, QString(), {}},
        {"emoji at the cut", QStringLiteral("x"), emoji.repeated(100), url, {}},
        {"a lone surrogate", QStringLiteral("Ки") + QChar(0xD800), QStringLiteral("но") + QChar(0xDFFF), url,
            QStringLiteral("Ки_-_но.mp3")},
        {"a pair split by text", QString(QChar(0xD83C)) + u'x', QString(QChar(0xDFB8)), url,
            QStringLiteral("x_-_.mp3")},
    };
    for (const auto &c : cases) {
        const QString path = MakeUniqueFilePath(dir.path() + u'/' + DownloadFileName(c.Artist, c.Title, c.URL));
        const QString name = QFileInfo(path).fileName();
        if (!c.Name.isEmpty()) {
            EXPECT_EQ(name, c.Name) << c.Case;
        }
        EXPECT_EQ(QFileInfo(path).path(), dir.path()) << c.Case;
        EXPECT_FALSE(name.startsWith(u'.')) << c.Case << ": no hidden file";
        EXPECT_LE(PartialFilePath(name).toUtf8().size(), 255) << c.Case;
        EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << c.Case << ": valid UTF-8";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << c.Case << ": " << file.errorString().toStdString();
        file.remove();
    }
}

TEST(FileUtils, MakeUniqueFilePathSkipsNamesWhoseDownloadIsStillRunning)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Artist - Title.mp3"));
    QFile(PartialFilePath(path)).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueFilePath(path), dir.filePath(QStringLiteral("Artist - Title (2).mp3")));
    QFile(dir.filePath(QStringLiteral("Artist - Title (2).mp3.part"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueFilePath(path), dir.filePath(QStringLiteral("Artist - Title (3).mp3")));
}

TEST(Version, ParseVersion)
{
    const TVersionNumbers v = ParseVersion(QStringLiteral("1.2.3.65537"));
    EXPECT_TRUE(v.IsValid);
    EXPECT_EQ(v.Major, 1);
    EXPECT_EQ(v.Release, 3);
    EXPECT_EQ(v.Build, 1); // low 16 bits
    EXPECT_FALSE(ParseVersion(QStringLiteral("1.2.3")).IsValid);
    const TVersionNumbers bad = ParseVersion(QStringLiteral("1.x.3.4"));
    EXPECT_FALSE(bad.IsValid);
    EXPECT_EQ(bad.Release, 3);
}

TEST(Version, ProgramVersionShowsReleaseOnlyWhenNotZero)
{
    EXPECT_EQ(ProgramVersionFromFileVersion(QStringLiteral("1.2.0.15")), QStringLiteral("1.2"));
    EXPECT_EQ(ProgramVersionFromFileVersion(QStringLiteral("1.2.3.15")), QStringLiteral("1.2.3"));
    // The running program shows the version the build gives it.
    const QStringList built = QStringLiteral(MARVANE_PROJECT_VERSION).split(u'.');
    ASSERT_EQ(built.size(), 4);
    QString shown = built[0] + u'.' + built[1];
    if (built[2].toInt() != 0)
        shown += u'.' + built[2];
    EXPECT_EQ(GetProgramVersionString(), shown);
    EXPECT_EQ(GetFileVersionString(QStringLiteral("/bin/sh")), QString());
}

TEST(Paths, BuiltOnTheUserFolders)
{
    TTempUserFolders folders;
    const QString data = folders.DataHome() + QStringLiteral("/MarvanePlayer");
    EXPECT_EQ(GetSavedTracksDBPath(), data + QStringLiteral("/SavedTracks.db"));
    EXPECT_EQ(GetSavedTracksBackupDBPath(), data + QStringLiteral("/Backup/SavedTracks.db"));
    EXPECT_EQ(GetEmptySavedTracksDBPath(), data + QStringLiteral("/empty_SavedTracks.db"));
    EXPECT_EQ(GetCookiesFilePath(), data + QStringLiteral("/cookies.ini"));
    EXPECT_EQ(GetTokenFilePath(), data + QStringLiteral("/Token.ini"));
    EXPECT_TRUE(GetDefaultMusicFolderPath().endsWith(QStringLiteral("/MarvanePlayer/")));
    EXPECT_FALSE(QDir(data).exists()); // composing a path creates nothing
}
