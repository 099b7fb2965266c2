#pragma once

#include "tracks/QelmTypesUnit.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

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
    // Raises an error when the file is missing, is no database, is damaged
    // or lacks the table or one of its columns.
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

// Opens the table at DBPath. When it cannot be read and the backup at
// BackupPath can, the damaged file (with its journal) is moved aside under a
// free name beside it, never deleted, and the backup copied in its place;
// that happens once. After a load that succeeded at once, the backup is
// renewed (atomically; a failure there is ignored). Null when neither copy
// can be read: nothing is moved or overwritten then.
std::unique_ptr<TSavedTracksDataSet> OpenSavedTracksDB(const QString &DBPath, const QString &BackupPath);
