#include "app/FileUtilsUnit.h"
#include "app/TQelmPathManagerUnit.h"
#include "app/TVersionInfoUnit.h"
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
    EXPECT_EQ(cut.size(), 259);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("x.mp3")));
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
