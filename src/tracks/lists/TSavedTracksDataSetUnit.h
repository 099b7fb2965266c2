#pragma once

#include "foundation/BaseTypesUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// The file opened but holds no sound saved-tracks table: its check failed, it
// is no database, or it lacks the table or one of its columns.
class ESavedTracksDamaged : public Exception
{
public:
    using Exception::Exception;
};

// One row of the saved-tracks table as stored: Record.FilePath holds the
// "FileName" column as it stands (ResolveSavedFileName makes it a path).
struct TSavedTrackRow
{
    qint64 AutoIncID = 0;
    TSavedTrackRecord Record;
};

// The saved-tracks table of one SQLite file, read whole when opened and kept
// in the order of its index "DescAutoIncIndex": the newest download first.
// Every change is one transaction; a change that fails leaves the file and
// the rows as they were and raises an error with the database's message.
class TSavedTracksDataSet
{
public:
    // Raises ESavedTracksDamaged when the file is no database, is damaged or
    // lacks the table or one of its columns; any other failure (the file is
    // missing, locked, busy, not readable) raises a plain Exception.
    explicit TSavedTracksDataSet(const QString &APath);
    ~TSavedTracksDataSet();
    TSavedTracksDataSet(const TSavedTracksDataSet &) = delete;
    TSavedTracksDataSet &operator=(const TSavedTracksDataSet &) = delete;

    const QString &Path() const { return FPath; }
    const std::vector<TSavedTrackRow> &Rows() const { return FRows; }
    // The row with that identifier, or null.
    const TSavedTrackRow *FindRow(qint64 AutoIncID) const;

    // Adds Record (its FilePath as the "FileName") as the newest row.
    qint64 Insert(const TSavedTrackRecord &Record);
    void Delete(qint64 AutoIncID);

private:
    void Load();
    void Reindex();

    QString FPath;
    QString FConnectionName;
    std::vector<TSavedTrackRow> FRows;
    QHash<qint64, std::size_t> FIndexByID;
};

// A stored "FileName" as a path: relative names are taken in the default
// music folder.
QString ResolveSavedFileName(const QString &FileName);

// Whether Path holds a saved-tracks table that opens and reads whole.
bool IsSavedTracksDBReadable(const QString &Path);

// What opening the table came to.
struct TSavedTracksOpening
{
    // Null when the table cannot be used.
    std::unique_ptr<TSavedTracksDataSet> DataSet;
    // The table was damaged or missing and the backup took its place: the
    // downloads recorded since the backup are gone from the list (the damaged
    // file lies aside). The user should be told.
    bool Restored = false;
    // Without DataSet: true when the table is damaged and the backup could not
    // replace it; false when the table could not be read at all (locked,
    // busy, no access, an I/O error), which says nothing about its state.
    bool Damaged = false;
    // Without DataSet: the database's or the file system's message.
    QString ErrorMessage;
};

// Opens the table at DBPath. Only a table that is missing, or opens and is
// damaged (ESavedTracksDamaged), is replaced by the backup at BackupPath when
// that can be read: the damaged file (with its journal) is moved aside under
// a free name beside it, never deleted, and the backup copied in its place;
// that happens once. Any other failure moves nothing. After a load that
// succeeded at once, the backup is renewed (atomically and synced; a failure
// there is ignored).
TSavedTracksOpening OpenSavedTracksDB(const QString &DBPath, const QString &BackupPath);
