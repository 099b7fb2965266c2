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
            EXPECT_TRUE(name.endsWith(copy == 1 ? QStringLiteral(".mp3") : QStringLiteral(" (2).mp3"))) << name.toStdString();
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
