#include "tracks/lists/TSavedTracksDataSetUnit.h"

#include "app/helpers/FileUtilsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "foundation/BaseTypesUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// The files SQLite may keep beside a database while it is changed.
const QString CompanionSuffixes[] = {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

QString NewConnectionName()
{
    static std::atomic<int> counter {0};
    return QStringLiteral("SavedTracks-%1").arg(++counter);
}

QSqlDatabase AddConnection(const QString &Name, const QString &Path, bool ReadOnly)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
    db.setDatabaseName(Path);
    if (ReadOnly)
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    return db;
}

// Whether SQLite's answer says the file is no sound table, rather than that
// it could not be read (busy, locked, no access, an I/O error).
bool IsDamage(const QSqlError &Error)
{
    switch (Error.nativeErrorCode().toInt() & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_ERROR: // a missing table or column
        return true;
    default:
        return false;
    }
}

[[noreturn]] void Fail(const QString &What, const QSqlError &Error)
{
    const QString message = What + QStringLiteral(": ") + Error.text();
    if (IsDamage(Error))
        throw ESavedTracksDamaged(message);
    throw Exception(message);
}

// Checks the file of an open connection and reads every row, newest first.
void ReadTable(QSqlDatabase &Database, std::vector<TSavedTrackRow> &Rows)
{
    if (!Database.open())
        Fail(QStringLiteral("Cannot open the saved tracks"), Database.lastError());
    QSqlQuery check(Database);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")))
        Fail(QStringLiteral("Cannot check the saved tracks"), check.lastError());
    if (!check.next() || check.value(0).toString() != u"ok")
        throw ESavedTracksDamaged(QStringLiteral("The saved tracks are damaged: ") + check.value(0).toString());

    QSqlQuery query(Database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT AutoIncID, AID, OwnerID, Artist, Title, Duration, LyricsID, AlbumID, "
                                   "FileName FROM SavedTracks ORDER BY AutoIncID DESC")))
        Fail(QStringLiteral("Cannot read the saved tracks"), query.lastError());
    Rows.clear();
    while (query.next()) {
        TSavedTrackRow row;
        row.AutoIncID = query.value(0).toLongLong();
        row.Record.AID = query.value(1).toInt();
        row.Record.OwnerID = query.value(2).toInt();
        row.Record.Artist = query.value(3).toString();
        row.Record.Title = query.value(4).toString();
        row.Record.Duration = query.value(5).toInt();
        row.Record.LyricsID = query.value(6).toString();
        row.Record.AlbumID = query.value(7).toString();
        row.Record.FilePath = query.value(8).toString();
        Rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        Fail(QStringLiteral("Cannot read the saved tracks"), query.lastError());
}

// Runs Change in one transaction; on failure rolls back and raises.
template<class TChange> void InTransaction(QSqlDatabase Database, const QString &What, TChange &&Change)
{
    if (!Database.transaction())
        Fail(What, Database.lastError());
    QSqlQuery query(Database);
    if (!Change(query) || !Database.commit()) {
        const QSqlError error = query.lastError().isValid() ? query.lastError() : Database.lastError();
        Database.rollback();
        Fail(What, error);
    }
}

// Moves Path and its companions aside under a free name beside it.
bool MoveAside(const QString &Path)
{
    const QFileInfo info(Path);
    const QString aside = MakeUniqueFilePath(
        info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".damaged.") + info.suffix());
    if (!QFile::rename(Path, aside))
        return false;
    for (const QString &suffix : CompanionSuffixes)
        if (QFileInfo::exists(Path + suffix))
            QFile::rename(Path + suffix, aside + suffix);
    return true;
}

// Copies Source over Target through a new file, synced and renamed into
// place, so that Target is whole at every moment, a power loss included.
bool ReplaceWithCopy(const QString &Source, const QString &Target)
{
    QFile source(Source);
    if (!QDir().mkpath(QFileInfo(Target).absolutePath()) || !source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(Target);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 16);
        if (block.isEmpty() || target.write(block) != block.size()) {
            target.cancelWriting();
            return false;
        }
    }
    return target.commit();
}

} // namespace

TSavedTracksDataSet::TSavedTracksDataSet(const QString &APath) : FPath(APath), FConnectionName(NewConnectionName())
{
    // SQLite would make an empty database of a missing file.
    if (!QFileInfo(FPath).isFile())
        throw Exception(QStringLiteral("There is no saved-tracks file ") + FPath);
    AddConnection(FConnectionName, FPath, false);
    try {
        Load();
    } catch (...) {
        QSqlDatabase::removeDatabase(FConnectionName);
        throw;
    }
}

TSavedTracksDataSet::~TSavedTracksDataSet()
{
    QSqlDatabase::database(FConnectionName, false).close();
    QSqlDatabase::removeDatabase(FConnectionName);
}

void TSavedTracksDataSet::Load()
{
    QSqlDatabase db = QSqlDatabase::database(FConnectionName, false);
    ReadTable(db, FRows);
    QSqlQuery index(db);
    if (!index.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS DescAutoIncIndex ON SavedTracks (AutoIncID DESC)")))
        Fail(QStringLiteral("Cannot index the saved tracks"), index.lastError());
    Reindex();
}

void TSavedTracksDataSet::Reindex()
{
    FIndexByID.clear();
    FIndexByID.reserve(qsizetype(FRows.size()));
    for (std::size_t i = 0; i < FRows.size(); ++i)
        FIndexByID.insert(FRows[i].AutoIncID, i);
}

const TSavedTrackRow *TSavedTracksDataSet::FindRow(qint64 AutoIncID) const
{
    const auto found = FIndexByID.constFind(AutoIncID);
    return found == FIndexByID.cend() ? nullptr : &FRows[*found];
}

qint64 TSavedTracksDataSet::Insert(const TSavedTrackRecord &Record)
{
    TSavedTrackRow row {0, Record};
    InTransaction(
        QSqlDatabase::database(FConnectionName, false), QStringLiteral("Cannot save the track"), [&](QSqlQuery &query) {
            query.prepare(QStringLiteral("INSERT INTO SavedTracks (AID, OwnerID, Artist, Title, Duration, "
                                         "LyricsID, AlbumID, FileName) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
            // A null text would be bound as NULL, which the columns refuse.
            const auto text = [](const QString &Value) { return QVariant(Value.isNull() ? QString(u""_s) : Value); };
            for (const QVariant &value :
                {QVariant(Record.AID), QVariant(Record.OwnerID), text(Record.Artist), text(Record.Title),
                    QVariant(Record.Duration), text(Record.LyricsID), text(Record.AlbumID), text(Record.FilePath)})
                query.addBindValue(value);
            if (!query.exec())
                return false;
            row.AutoIncID = query.lastInsertId().toLongLong();
            return true;
        });
    FRows.insert(FRows.begin(), std::move(row));
    Reindex();
    return FRows.front().AutoIncID;
}

void TSavedTracksDataSet::Delete(qint64 AutoIncID)
{
    InTransaction(QSqlDatabase::database(FConnectionName, false), QStringLiteral("Cannot delete the track"),
        [&](QSqlQuery &query) {
            query.prepare(QStringLiteral("DELETE FROM SavedTracks WHERE AutoIncID = ?"));
            query.addBindValue(AutoIncID);
            return query.exec();
        });
    const auto found = FIndexByID.constFind(AutoIncID);
    if (found != FIndexByID.cend()) {
        FRows.erase(FRows.begin() + qsizetype(*found));
        Reindex();
    }
}

QString ResolveSavedFileName(const QString &FileName)
{
    return QDir::isAbsolutePath(FileName) ? FileName : GetDefaultMusicFolderPath() + FileName;
}

bool IsSavedTracksDBReadable(const QString &Path)
{
    if (!QFileInfo(Path).isFile())
        return false;
    const QString name = NewConnectionName();
    bool readable = false;
    {
        QSqlDatabase db = AddConnection(name, Path, true);
        std::vector<TSavedTrackRow> rows;
        try {
            ReadTable(db, rows);
            readable = true;
        } catch (const Exception &) {
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return readable;
}

TSavedTracksOpening OpenSavedTracksDB(const QString &DBPath, const QString &BackupPath)
{
    TSavedTracksOpening opening;
    if (QFileInfo::exists(DBPath)) {
        try {
            opening.DataSet = std::make_unique<TSavedTracksDataSet>(DBPath);
            ReplaceWithCopy(DBPath, BackupPath);
            return opening;
        } catch (const ESavedTracksDamaged &error) {
            opening.ErrorMessage = error.Message();
        } catch (const Exception &error) {
            // The file may well be whole: replacing it would lose what was
            // recorded since the backup.
            opening.ErrorMessage = error.Message();
            return opening;
        }
    } else {
        opening.ErrorMessage = QStringLiteral("There is no saved-tracks file ") + DBPath;
    }
    opening.Damaged = true;
    // The damaged file may still hold downloads recorded since the backup:
    // it is kept aside, never overwritten.
    if (!IsSavedTracksDBReadable(BackupPath))
        return opening;
    if (QFileInfo::exists(DBPath) && !MoveAside(DBPath))
        return opening;
    for (const QString &suffix : CompanionSuffixes)
        QFile::remove(DBPath + suffix);
    if (!ReplaceWithCopy(BackupPath, DBPath))
        return opening;
    try {
        opening.DataSet = std::make_unique<TSavedTracksDataSet>(DBPath);
        opening.Restored = true;
        opening.Damaged = false;
        opening.ErrorMessage.clear();
    } catch (const Exception &error) {
        opening.ErrorMessage = error.Message();
    }
    return opening;
}
