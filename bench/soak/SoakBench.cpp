// Plays 500 short tracks back to back through the player, as a long listening
// session does: from the stand-in site's URLs and from saved files in turn,
// on the null output as fast as it decodes, each moving on to the next at its
// end. What the process holds (resident memory, open files, threads) is taken
// once the first 50 tracks are over and again after the last, each time with
// the player paused and its finished work freed; a session that runs for
// hours must not grow. A track that fails, or does not end in time, is a
// missed end, and the next one is started by hand.
#include "app/globals/TGlobalObjectsUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "support/BenchReport.h"
#include "tracks/records/QelmTypesUnit.h"
#include "vkweb/VKWebTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

constexpr int Tracks = 500;
constexpr int WarmUpTracks = 50;
// Far longer than a 3-second track takes to decode.
constexpr int EndDeadlineMs = 15000;
// The reaper frees finished work every 100 ms.
constexpr int SettleMs = 500;

const QString Track = QStringLiteral(MARVANE_SOAK_TRACK);

// What the process holds at one moment.
struct THoldings
{
    double ResidentMB = 0;
    int Files = 0;
    int Threads = 0;
};

THoldings Holdings()
{
    THoldings holdings;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            holdings.ResidentMB = std::stod(line.substr(6)) / 1024.0;
        else if (line.rfind("Threads:", 0) == 0)
            holdings.Threads = std::stoi(line.substr(8));
    }
    holdings.Files
        = static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
    return holdings;
}

void Settle()
{
    QEventLoop loop;
    QTimer::singleShot(SettleMs, &loop, &QEventLoop::quit);
    loop.exec();
}

// Even positions play the stand-in's URL, odd ones a saved copy of the same
// track; every item is a track of its own.
void FillPlaylist(TAudioPlaylist &Playlist, const QString &URL, const QString &SavedFile)
{
    for (int i = 0; i < Tracks; ++i) {
        if (i % 2 == 0) {
            TVKAudioRecord record;
            record.AID = i + 1;
            record.OwnerID = -2001;
            record.URL = URL;
            Playlist.Add(std::make_unique<TVKAudioPlaylistItem>(record));
        } else {
            TSavedTrackRecord record;
            record.AID = i + 1;
            record.OwnerID = 1001;
            record.FilePath = SavedFile;
            Playlist.Add(std::make_unique<TLocalVKAudioPlaylistItem>(record));
        }
    }
}

class TSoak
{
public:
    TSoak()
    {
        AudioPlayer->OnStartPlayingURL = [this](TObject *) { Started(); };
        AudioPlayer->OnStartPlayingLocalFile = [this](TObject *) { Started(); };
        AudioPlayer->OnConnectionError = [this](TObject *) { Missed(); };
        AudioPlayer->OnStop = [this](TObject *) {
            if (!FStopping)
                Missed();
        };
        FEndDeadline.setSingleShot(true);
        FEndDeadline.setInterval(EndDeadlineMs);
        QObject::connect(&FEndDeadline, &QTimer::timeout, [this] { Missed(); });
    }
    ~TSoak()
    {
        AudioPlayer->OnStartPlayingURL = {};
        AudioPlayer->OnStartPlayingLocalFile = {};
        AudioPlayer->OnConnectionError = {};
        AudioPlayer->OnStop = {};
    }
    TSoak(const TSoak &) = delete;
    TSoak &operator=(const TSoak &) = delete;

    void Run(const TAudioPlaylist &Playlist)
    {
        AudioPlayer->SetPlaylist(&Playlist);
        FStart = std::chrono::steady_clock::now();
        AudioPlayer->PlayFirst();
        FEndDeadline.start();
        FLoop.exec();
    }

    THoldings AfterWarmUp() const { return FAfterWarmUp; }
    THoldings AtEnd() const { return FAtEnd; }
    int MissedEnds() const { return FMissed; }
    double Seconds() const { return FSeconds; }

private:
    int Finished() const { return FEnded + FMissed; }

    // A track starts: the one before it, if still playing, has reached its
    // end. The playlist wraps around, so a start follows the last track too.
    void Started()
    {
        if (FPlaying)
            ++FEnded;
        FPlaying = true;
        FLastIndex = AudioPlayer->CurrentPlaylistIndex();
        FEndDeadline.start();
        if (Finished() == WarmUpTracks || Finished() == Tracks) {
            AudioPlayer->Pause();
            FEndDeadline.stop();
            // Out of the player's event: the measure waits for the reaper.
            QTimer::singleShot(0, [this] { Measure(); });
        }
    }

    // The track playing, or the one after the last that started, did not
    // reach its end: go on with the next one.
    void Missed()
    {
        ++FMissed;
        if (!FPlaying)
            FLastIndex = (FLastIndex + 1) % Tracks;
        FPlaying = false;
        if (Finished() == Tracks) {
            FEndDeadline.stop();
            QTimer::singleShot(0, [this] { Measure(); });
            return;
        }
        const int next = (FLastIndex + 1) % Tracks;
        QTimer::singleShot(0, [next] { AudioPlayer->Play(next); });
        FEndDeadline.start();
    }

    // Both measures are taken alike: the player paused at a track's start.
    void Measure()
    {
        Settle();
        const THoldings holdings = Holdings();
        if (Finished() == WarmUpTracks) {
            FAfterWarmUp = holdings;
            AudioPlayer->Resume();
            FEndDeadline.start();
            return;
        }
        FAtEnd = holdings;
        FSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
        FStopping = true;
        AudioPlayer->Stop();
        FLoop.quit();
    }

    QEventLoop FLoop;
    QTimer FEndDeadline;
    std::chrono::steady_clock::time_point FStart;
    // A track has started and not yet ended or failed.
    bool FPlaying = false;
    // The playlist index of the track that started last.
    int FLastIndex = -1;
    int FEnded = 0;
    int FMissed = 0;
    bool FStopping = false;
    double FSeconds = 0;
    THoldings FAfterWarmUp;
    THoldings FAtEnd;
};

} // namespace

int main(int argc, char **argv)
{
    // As fast as decoding goes, whatever the caller's output.
    qputenv("MARVANE_AUDIO_SINK", "fakesink sync=false");
    QCoreApplication application(argc, argv);
    try {
        TStandin standin;
        if (!standin.IsReady())
            throw std::runtime_error("the stand-in did not start");
        QTemporaryDir savedTracks;
        const QString savedFile = savedTracks.filePath(QStringLiteral("Artist - Title.mp3"));
        if (!QFile::copy(Track, savedFile))
            throw std::runtime_error("the track could not be saved");

        TGlobalObjects globals;
        AudioPlayer->SetVolume(1);
        TAudioPlaylist playlist;
        playlist.Tag = 1;
        FillPlaylist(playlist, standin.WebURL() + QStringLiteral("/audio/tone-3s.mp3"), savedFile);
        TSoak soak;
        soak.Run(playlist);

        std::printf("%d tracks in %.1f s\n", Tracks, soak.Seconds());
        Figure("soak.rss_growth_mb", soak.AtEnd().ResidentMB - soak.AfterWarmUp().ResidentMB, "MB");
        Figure("soak.fd_growth", soak.AtEnd().Files - soak.AfterWarmUp().Files, "", 0);
        Figure("soak.threads_growth", soak.AtEnd().Threads - soak.AfterWarmUp().Threads, "", 0);
        Figure("soak.missed_ends", soak.MissedEnds(), "", 0);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
