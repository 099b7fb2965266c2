// Opens a saved-tracks table of 10,000 rows, each with its audio file, and
// builds the Downloads tab's rows and playlist from it, as the program does
// at start. The figure is the median of 20 runs.
#include "foundation/THierarchicalSingletonUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include "support/BenchReport.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

constexpr int Rows = 10000;

// The table at Path filled in one transaction, every file made in Music.
void MakeTable(const QString &Path, const QString &Music)
{
    QDir().mkpath(Music);
    if (!QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), Path))
        throw std::runtime_error("no empty table to start from");
    QFile(Path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(Path);
        db.open();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO SavedTracks (AID, OwnerID, Artist, Title, Duration, LyricsID, "
                                      "AlbumID, FileName) VALUES (?, ?, ?, ?, ?, '', '', ?)"));
        for (int i = 0; i < Rows; ++i) {
            const QString file = Music + QStringLiteral("/Кино_-_Песня_%1.mp3").arg(i);
            QFile(file).open(QIODevice::WriteOnly);
            for (const QVariant &value : {QVariant(i), QVariant(-77), QVariant(QStringLiteral("Кино")),
                     QVariant(QStringLiteral("Песня %1").arg(i)), QVariant(180), QVariant(file)})
                insert.addBindValue(value);
            if (!insert.exec())
                throw std::runtime_error("the table could not be filled");
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

void SavedOpen10k(benchmark::State &State)
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    const QString path = dir.filePath(QStringLiteral("SavedTracks.db"));
    MakeTable(path, dir.filePath(QStringLiteral("music")));
    TVKEmulationManager manager;
    for (auto _ : State) {
        TSavedTracksDataSet savedTracks(path);
        TLocalAudioData downloads(manager, savedTracks);
        if (downloads.Count() != Rows || downloads.Playlist().Count() != Rows)
            throw std::runtime_error("rows are missing");
        benchmark::DoNotOptimize(downloads.getPlaylistItem(Rows - 1));
    }
}

BENCHMARK(SavedOpen10k)->Iterations(1)->Repetitions(20)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.Has("SavedOpen10k"))
        Figure("lists.saved_open_10k_ms", reporter.Time("SavedOpen10k"), "ms");
    THierarchicalSingleton::DoDestroy();
    return 0;
}
