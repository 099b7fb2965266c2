#include "tracks/lists/TSavedTracksDataSetUnit.h"

#include "foundation/BaseTypesUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray ReadFile(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString &Path, const QByteArray &Data)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(Data);
}

TSavedTrackRecord Track(int AID, const QString &Title)
{
    return {AID, -77, QStringLiteral("Кино & Co"), Title, 215, QStringLiteral("lyr"), QStringLiteral("alb"),
        QStringLiteral("/music/") + Title + QStringLiteral(".mp3")};
}

QStringList Titles(const TSavedTracksDataSet &DataSet)
{
    QStringList titles;
    for (const TSavedTrackRow &row : DataSet.Rows())
        titles << row.Record.Title;
    return titles;
}

// The database and its backup in a fresh folder, made from the template the
// install step ships.
class SavedTracksDB : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(FDir.filePath(QStringLiteral("Backup"))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), DB()));
        QFile(DB()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QString DB() const { return FDir.filePath(QStringLiteral("SavedTracks.db")); }
    QString Backup() const { return FDir.filePath(QStringLiteral("Backup/SavedTracks.db")); }
    QStringList Files() const { return QDir(FDir.path()).entryList(QDir::Files); }

    // Three tracks recorded in the database, then a clean open that backs them up.
    void RecordThreeAndBackUp()
    {
        {
            TSavedTracksDataSet dataSet(DB());
            for (int i = 1; i <= 3; ++i)
                dataSet.Insert(Track(i, QStringLiteral("Песня %1").arg(i)));
        }
        const TSavedTracksOpening opening = OpenSavedTracksDB(DB(), Backup());
        ASSERT_NE(opening.DataSet, nullptr);
        ASSERT_FALSE(opening.Restored);
        ASSERT_EQ(ReadFile(Backup()), ReadFile(DB()));
    }

    QTemporaryDir FDir;
};

} // namespace

TEST_F(SavedTracksDB, RowsComeBackNewestFirstWithEveryColumn)
{
    {
        TSavedTracksDataSet dataSet(DB());
        EXPECT_TRUE(dataSet.Rows().empty());
        const qint64 first = dataSet.Insert(Track(1, QStringLiteral("Группа крови")));
        const qint64 second = dataSet.Insert(Track(2, QStringLiteral("Кукушка")));
        EXPECT_GT(second, first);
        EXPECT_EQ(dataSet.FindRow(first)->Record.AID, 1);
    }
    TSavedTracksDataSet reopened(DB());
    ASSERT_EQ(Titles(reopened), (QStringList {QStringLiteral("Кукушка"), QStringLiteral("Группа крови")}));
    const TSavedTrackRecord &record = reopened.Rows().back().Record;
    const TSavedTrackRecord expected = Track(1, QStringLiteral("Группа крови"));
    EXPECT_EQ(record.AID, expected.AID);
    EXPECT_EQ(record.OwnerID, expected.OwnerID);
    EXPECT_EQ(record.Artist, expected.Artist);
    EXPECT_EQ(record.Duration, expected.Duration);
    EXPECT_EQ(record.LyricsID, expected.LyricsID);
    EXPECT_EQ(record.AlbumID, expected.AlbumID);
    EXPECT_EQ(record.FilePath, expected.FilePath);

    // A deleted row's number is never given again: the newest stays first.
    reopened.Delete(reopened.Rows().front().AutoIncID);
    reopened.Insert(Track(3, QStringLiteral("Звезда")));
    EXPECT_EQ(Titles(reopened), (QStringList {QStringLiteral("Звезда"), QStringLiteral("Группа крови")}));
}

TEST_F(SavedTracksDB, ADamagedTableIsRestoredFromTheBackupAndKeptAside)
{
    const struct
    {
        const char *Name;
        std::function<void(const QString &Path)> Damage;
    } cases[] = {
        {"truncated", [](const QString &Path) { QFile(Path).resize(QFileInfo(Path).size() / 2); }},
        {"random bytes",
            [](const QString &Path) {
                QByteArray bytes(int(QFileInfo(Path).size()), '\0');
                for (char &byte : bytes)
                    byte = char(QRandomGenerator::global()->bounded(256));
                WriteFile(Path, bytes);
            }},
        {"empty", [](const QString &Path) { WriteFile(Path, {}); }},
        {"missing", [](const QString &Path) { QFile::remove(Path); }},
    };
    RecordThreeAndBackUp();
    const QByteArray backup = ReadFile(Backup());
    for (const auto &c : cases) {
        ASSERT_TRUE(QFile::copy(Backup(), DB()) || QFile::exists(DB())) << c.Name;
        c.Damage(DB());
        const QByteArray damaged = ReadFile(DB());
        const QStringList before = Files();

        const TSavedTracksOpening opening = OpenSavedTracksDB(DB(), Backup());
        const auto &dataSet = opening.DataSet;
        ASSERT_NE(dataSet, nullptr) << c.Name;
        EXPECT_TRUE(opening.Restored) << c.Name << ": the window can tell the user";
        EXPECT_EQ(Titles(*dataSet),
            (QStringList {QStringLiteral("Песня 3"), QStringLiteral("Песня 2"), QStringLiteral("Песня 1")}))
            << c.Name;
        EXPECT_EQ(ReadFile(Backup()), backup) << c.Name << ": the backup is not renewed after a restore";
        if (damaged != "<missing>") {
            const QStringList aside = QStringList(Files()).filter(QStringLiteral(".damaged"));
            ASSERT_FALSE(aside.isEmpty()) << c.Name;
            EXPECT_EQ(ReadFile(FDir.filePath(aside.last())), damaged) << c.Name << ": the damaged file is kept";
            for (const QString &file : aside)
                QFile::remove(FDir.filePath(file));
        }
        QFile::remove(DB());
    }
}

// A table that cannot be read says nothing about its state: it is reported
// as it is and left where it is, and the backup is not put in its place.
TEST_F(SavedTracksDB, ATableThatCannotBeReadIsAnErrorAndNothingMoves)
{
    RecordThreeAndBackUp();
    const QByteArray backup = ReadFile(Backup());
    const struct
    {
        const char *Name;
        std::function<std::function<void()>(const QString &Path)> Block; // gives the undoing
    } cases[] = {
        {"locked by another connection",
            [](const QString &Path) -> std::function<void()> {
                auto db = std::make_shared<QSqlDatabase>(
                    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker")));
                db->setDatabaseName(Path);
                db->setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
                EXPECT_TRUE(db->open());
                EXPECT_TRUE(QSqlQuery(*db).exec(QStringLiteral("BEGIN EXCLUSIVE")));
                EXPECT_TRUE(QSqlQuery(*db).exec(QStringLiteral("DELETE FROM SavedTracks WHERE AID = 1")));
                return [db] {
                    QSqlQuery(*db).exec(QStringLiteral("ROLLBACK"));
                    db->close();
                    *db = QSqlDatabase();
                    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
                };
            }},
        {"a folder in its place",
            [](const QString &Path) -> std::function<void()> {
                const QString moved = Path + QStringLiteral(".moved");
                EXPECT_TRUE(QFile::rename(Path, moved));
                EXPECT_TRUE(QDir().mkpath(Path));
                return [Path, moved] {
                    QDir(Path).removeRecursively();
                    QFile::rename(moved, Path);
                };
            }},
    };
    for (const auto &c : cases) {
        const QByteArray db = ReadFile(DB());
        const std::function<void()> unblock = c.Block(DB());
        const QStringList files = Files();
        {
            const TSavedTracksOpening opening = OpenSavedTracksDB(DB(), Backup());
            EXPECT_EQ(opening.DataSet, nullptr) << c.Name;
            EXPECT_FALSE(opening.Restored) << c.Name;
            EXPECT_FALSE(opening.Damaged) << c.Name;
            EXPECT_FALSE(opening.ErrorMessage.isEmpty()) << c.Name;
        }
        EXPECT_EQ(Files(), files) << c.Name << ": nothing moved aside";
        EXPECT_EQ(ReadFile(Backup()), backup) << c.Name;
        unblock();
        EXPECT_EQ(ReadFile(DB()), db) << c.Name;
        const TSavedTracksOpening opening = OpenSavedTracksDB(DB(), Backup());
        ASSERT_NE(opening.DataSet, nullptr) << c.Name;
        EXPECT_FALSE(opening.Restored) << c.Name;
        EXPECT_EQ(opening.DataSet->Rows().size(), 3u) << c.Name;
    }
}

TEST_F(SavedTracksDB, BothCopiesDamagedGiveNothingAndTouchNeither)
{
    RecordThreeAndBackUp();
    WriteFile(Backup(), "no database at all");
    QFile(DB()).resize(100);
    const QByteArray db = ReadFile(DB());
    const QStringList files = Files();

    const TSavedTracksOpening opening = OpenSavedTracksDB(DB(), Backup());
    EXPECT_EQ(opening.DataSet, nullptr);
    EXPECT_TRUE(opening.Damaged);
    EXPECT_FALSE(opening.ErrorMessage.isEmpty());
    EXPECT_EQ(ReadFile(DB()), db);
    EXPECT_EQ(ReadFile(Backup()), "no database at all");
    EXPECT_EQ(Files(), files);

    QFile::remove(DB());
    QFile::remove(Backup());
    EXPECT_EQ(OpenSavedTracksDB(DB(), Backup()).DataSet, nullptr) << "neither file exists";
    EXPECT_FALSE(QFile::exists(DB())) << "no empty table is made in its place";
}

TEST_F(SavedTracksDB, AFileWithoutTheTableOrOneOfItsColumnsDoesNotLoad)
{
    for (const char *schema : {"CREATE TABLE Other (x INTEGER)",
             "CREATE TABLE SavedTracks (AutoIncID INTEGER PRIMARY KEY AUTOINCREMENT, AID INTEGER)"}) {
        const QString path = FDir.filePath(QStringLiteral("other.db"));
        QFile::remove(path);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("schema"));
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec(QString::fromLatin1(schema));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("schema"));
        EXPECT_FALSE(IsSavedTracksDBReadable(path)) << schema;
        EXPECT_THROW(TSavedTracksDataSet {path}, Exception) << schema;
    }
}
