// Cropping a title to a row's width: an ordinary title, and titles made of
// thousands of combining marks (one marked letter after another, and a single
// letter carrying them all before an ordinary title). Each figure is the
// median of repeated runs.
#include "app/TextUtilsUnit.h"

#include <QFontMetrics>
#include <QGuiApplication>

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

// Prints each median as a "figure:" line.
class TFigureReporter : public benchmark::ConsoleReporter
{
public:
    // No colours: a figure line must start the line for scripts to read it.
    TFigureReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &Runs) override
    {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run &run : Runs) {
            if (run.aggregate_name != "median")
                continue;
            // "CropMarkedClusters/2000" gives "text.crop_marked_clusters_2000_ms".
            const std::string &name = run.run_name.function_name;
            const char *figure = name == "CropLatin"            ? "latin"
                                 : name == "CropMarkedClusters" ? "marked_clusters"
                                                                : "piled_letter";
            std::printf("figure: text.crop_%s_%s_ms %.3f ms\n", figure, run.run_name.args.c_str(),
                        run.GetAdjustedRealTime());
            std::fflush(stdout);
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TFigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
