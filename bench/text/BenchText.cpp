// Cropping a title to a row's width: an ordinary title, and titles made of
// thousands of combining marks (one marked letter after another, and a single
// letter carrying them all before an ordinary title). Each figure is the
// median of repeated runs.
#include "app/helpers/TextUtilsUnit.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include "support/BenchReport.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr int RowWidth = 240;

const QFont &TitleFont()
{
    static const QFont font(QStringLiteral("DejaVu Sans"), 10);
    return font;
}

QString Latin(int Length)
{
    const QString words = QStringLiteral("The quick brown fox jumps over the lazy dog ");
    return words.repeated(Length / words.size() + 1).left(Length);
}

// "e" with three accents, over and over.
QString MarkedClusters(int Length)
{
    return QStringLiteral("e\u0301\u0302\u0303").repeated(Length / 4);
}

QString PiledLetter(int Length)
{
    return u'a' + QString(Length - 1, QChar(0x0301)) + Latin(200);
}

void Crop(benchmark::State &State, const QString &Text)
{
    const QFontMetrics metrics(TitleFont());
    bool cropped = false;
    for (auto _ : State) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(CropTextByWidth(metrics, Text, RowWidth, 15, cropped));
        State.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void CropLatin(benchmark::State &State)
{
    Crop(State, Latin(int(State.range(0))));
}

void CropMarkedClusters(benchmark::State &State)
{
    Crop(State, MarkedClusters(int(State.range(0))));
}

void CropPiledLetter(benchmark::State &State)
{
    Crop(State, PiledLetter(int(State.range(0))));
}

void Configure(benchmark::internal::Benchmark *Bench)
{
    Bench->UseManualTime()->Iterations(1)->Repetitions(15)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
}

BENCHMARK(CropLatin)->Arg(200)->Apply(Configure);
BENCHMARK(CropMarkedClusters)->Arg(2000)->Arg(8000)->Apply(Configure);
BENCHMARK(CropPiledLetter)->Arg(2000)->Arg(8000)->Apply(Configure);

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // "CropMarkedClusters/2000" gives "text.crop_marked_clusters_2000_ms".
    const std::pair<const char *, const char *> cases[] = {
        {"CropLatin/200", "latin_200"},
        {"CropMarkedClusters/2000", "marked_clusters_2000"},
        {"CropMarkedClusters/8000", "marked_clusters_8000"},
        {"CropPiledLetter/2000", "piled_letter_2000"},
        {"CropPiledLetter/8000", "piled_letter_8000"},
    };
    for (const auto &[benchmarkName, figure] : cases)
        if (reporter.Has(benchmarkName))
            Figure(std::string("text.crop_") + figure + "_ms", reporter.Time(benchmarkName), "ms", 3);
    return 0;
}
