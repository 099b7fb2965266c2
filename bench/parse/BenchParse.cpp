// Reads a 10,000-track answer of the audio endpoint the way the web client
// does (Windows-1251 decoding, cutting the JSON block out, JSON, the track
// records with their HTML references), and stores 12,000 cookies of one
// answer in the jar, and reads a Last.fm album answer of 100 tracks. Each
// figure is the median of 30 runs.
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <QUrl>

#include "support/BenchReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr int Tracks = 10000;
constexpr int Cookies = 12000;
constexpr int Repetitions = 30;

// An answer as the site sends it: the frame, one JSON line with every track
// (Cyrillic and Latin titles, references in some), in Windows-1251.
QByteArray MakeAnswer()
{
    QString json = QStringLiteral("{\"type\":\"playlist\",\"ownerId\":77,\"list\":[");
    for (int i = 0; i < Tracks; ++i) {
        if (i > 0)
            json += u',';
        const QString title = i % 3 == 0 ? QStringLiteral("Группа крови &amp; звезда по имени Солнце %1").arg(i)
                                         : QStringLiteral("Song &quot;number&quot; %1 &#8212; live").arg(i);
        const QString artist = i % 2 == 0 ? QStringLiteral("Кино") : QStringLiteral("Rock &amp; Roll Band");
        json += QStringLiteral("[%1,%2,\"\",\"%3\",\"%4\",%5,0,0,\"\",0,2,\"\",\"[]\","
                               "\"3f9a1c7e2b/8d0e4f6a1b//5c2d7e9f0a/\",\"\",{\"duration\":%5},\"\",[],\"\",\"\"]")
                    .arg(100000 + i)
                    .arg(-77)
                    .arg(title, artist)
                    .arg(120 + i % 300);
    }
    json += QStringLiteral("],\"hasMore\":false}");
    QStringEncoder encoder("windows-1251");
    const QString answer = QStringLiteral("<!--18345<!>audio.css,audio.js<!>0<!>6812<!>0<!><!json>") + json
        + QStringLiteral("<!><!bool>");
    return encoder.encode(answer);
}

void ParseAlAudio10k(benchmark::State &State)
{
    static const QByteArray answer = MakeAnswer();
    const QString pattern = QStringLiteral("<!json>({.*?})<!>");
    for (auto _ : State) {
        const QString text = DecodeWindows1251(answer);
        const QList<TVKAudioRecord> records = ParseAudioList(ExtractRegExGroup(text, pattern));
        if (records.size() != Tracks || records.first().Artist != QStringLiteral("Кино"))
            throw std::runtime_error("the answer did not parse");
        benchmark::DoNotOptimize(records);
    }
    State.counters["answer_mb"] = answer.size() / 1048576.0;
}

void StoreCookies12k(benchmark::State &State)
{
    QStringList headers;
    for (int i = 0; i < Cookies; ++i)
        headers << QStringLiteral("c%1=value%1; Path=/; Expires=Wed, 21-Oct-2065 07:28:00 GMT").arg(i);
    const QUrl url(QStringLiteral("https://vk.test/al_audio.php"));
    for (auto _ : State) {
        TCookieManager jar;
        jar.AddServerCookies(headers, url);
        jar.AddServerCookies(headers, url); // every one replaced
        benchmark::DoNotOptimize(jar.CookieHeader(url));
    }
}

// An album.getInfo answer as the service sends it: images, tags, a
// wiki and 100 tracks, each with its artist object.
QString MakeAlbumInfoAnswer()
{
    QString tracks;
    for (int i = 0; i < 100; ++i) {
        if (i > 0)
            tracks += u',';
        tracks
            += QStringLiteral(R"({"name":"Песня номер %1","url":"https://www.last.fm/music/Kino/_/%1","duration":"%2",)"
                              R"("@attr":{"rank":"%1"},"streamable":{"#text":"0","fulltrack":"0"},)"
                              R"("artist":{"name":"Кино","mbid":"","url":"https://www.last.fm/music/Kino"}})")
                   .arg(i + 1)
                   .arg(180 + i);
    }
    QString images;
    for (const char *size : {"small", "medium", "large", "extralarge", "mega", ""})
        images += QStringLiteral(R"({"#text":"https://img.example/%1.png","size":"%1"},)").arg(QLatin1String(size));
    images.chop(1);
    return QStringLiteral(
               R"({"album":{"name":"Группа крови","artist":"Кино","mbid":"","url":"https://www.last.fm/music/Kino",)"
               R"("image":[)")
        + images + QStringLiteral(R"(],"listeners":"123456","playcount":"7654321","tracks":{"track":[)") + tracks
        + QStringLiteral(R"(]},"tags":{"tag":[{"name":"rock","url":"u"}]},"wiki":{"summary":")") + QString(2000, u'w')
        + QStringLiteral(R"("}}})");
}

void ParseLastFMAlbumInfo(benchmark::State &State)
{
    static const QString answer = MakeAlbumInfoAnswer();
    for (auto _ : State) {
        TLastFMAlbumGetInfoResponseParser parser(answer);
        parser.Start(true);
        if (parser.GetResult().ResultCode != 0 || parser.GetResult().Tracks.Count() != 100)
            throw std::runtime_error("the album did not parse");
        benchmark::DoNotOptimize(parser.GetResult().Tracks);
    }
}

BENCHMARK(ParseAlAudio10k)
    ->Iterations(1)
    ->Repetitions(Repetitions)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(StoreCookies12k)
    ->Iterations(1)
    ->Repetitions(Repetitions)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(ParseLastFMAlbumInfo)
    ->Iterations(1)
    ->Repetitions(Repetitions)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.Has("ParseAlAudio10k"))
        Figure("parse.al_audio_10k_ms", reporter.Time("ParseAlAudio10k"), "ms");
    if (reporter.Has("StoreCookies12k"))
        Figure("parse.cookie_jar_12k_ms", reporter.Time("StoreCookies12k"), "ms");
    if (reporter.Has("ParseLastFMAlbumInfo"))
        Figure("parse.lastfm_album_info_ms", reporter.Time("ParseLastFMAlbumInfo"), "ms", 3);
    return 0;
}
