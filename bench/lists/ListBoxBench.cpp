// A list of 100,000 rows in a shown window, painted offscreen: a one-row
// scroll step and a jump, each with the repaint a frame costs; and the
// processor time of the interface thread with one loading animation running
// for 3 s, and with nothing running. Each figure is the median of repeated runs.
#include "ui/StyleResourceUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/lists/TKeyScrolledListBoxUnit.h"

#include "foundation/THierarchicalSingletonUnit.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include "support/BenchReport.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <memory>

namespace {

constexpr int Rows = 100000;
constexpr int RowHeight = 32;

// A row as a track list paints it: a title fitted to the width, a duration,
// a button and the row colour.
class TBenchRow : public TKeyScrolledListPanel
{
public:
    explicit TBenchRow(TDynamicListBox *AListBox) :
          TKeyScrolledListPanel(AListBox), FButton(new TDynamicListButton(this)), FTitle(new TDynamicListLabel(this)),
          FDuration(new TDynamicListLabel(this))
    {
        FButton->setGeometry(8, 8, 16, 16);
        SetStyleLookup(FButton, QStringLiteral("playtrackButtonstyle"));
    }

    void UpdateContent() override
    {
        TKeyScrolledListPanel::UpdateContent();
        FDuration->setText(QStringLiteral("%1:%2").arg(Index() % 9 + 1).arg(Index() % 60, 2, 10, QLatin1Char('0')));
        FDuration->adjustSize();
        FDuration->move(width() - FDuration->width() - 10, 8);
        FTitle->setText(FTitle->CropText(
            QStringLiteral("Artist %1 – A title that may be long, track %1").arg(Index()), FDuration->x() - 44));
        FTitle->adjustSize();
        FTitle->move(34, 8);
    }

private:
    TDynamicListButton *FButton;
    TDynamicListLabel *FTitle;
    TDynamicListLabel *FDuration;
};

struct TListWindow
{
    QWidget Window;
    QWidget *Surface = new QWidget(&Window);
    QScrollBar *Bar = new QScrollBar(Qt::Vertical, &Window);
    std::unique_ptr<TKeyScrolledListBox> List;

    TListWindow()
    {
        Window.resize(620, 480);
        Surface->setGeometry(0, 0, 610, 480);
        Surface->setAttribute(Qt::WA_StyledBackground);
        SetStyleLookup(Surface, QStringLiteral("listsurfacestyle"));
        Bar->setGeometry(610, 0, 10, 480);
        List = std::make_unique<TKeyScrolledListBox>(nullptr, nullptr, PanelClassOf<TBenchRow>(), Bar, Surface);
        List->SetItemHeight(RowHeight);
        List->Initialize();
        List->SetData(Rows);
        Window.show();
        Window.repaint();
    }
};

std::unique_ptr<TListWindow> Window;

TListWindow &ListWindow()
{
    if (!Window)
        Window = std::make_unique<TListWindow>();
    return *Window;
}

// Moves the list by Step pixels and paints the frame, timed.
void Scroll(benchmark::State &State, int Step)
{
    auto &list = ListWindow();
    int value = list.Bar->value();
    for (auto _ : State) {
        value = (value + Step) % list.Bar->maximum();
        const auto start = std::chrono::steady_clock::now();
        list.Bar->setValue(value);
        list.Window.repaint();
        State.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    State.counters["panels"] = double(list.Surface->findChildren<TDynamicListPanel *>().size());
}

void ScrollRow(benchmark::State &State)
{
    Scroll(State, RowHeight);
}

void ScrollJump(benchmark::State &State)
{
    // A drag of the scroll bar's thumb: hundreds of rows at once.
    Scroll(State, RowHeight * 997 + 13);
}

double CPUSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for 3 s and reports the processor time it took.
void MeasureCPU(benchmark::State &State, bool Animated)
{
    auto &list = ListWindow();
    double percent = 0;
    for (auto _ : State) {
        std::unique_ptr<THorizontalLoadingAnimation> animation;
        if (Animated) {
            animation = std::make_unique<THorizontalLoadingAnimation>(&list.Window);
            animation->setGeometry(290, 230, 29, 20);
            animation->show();
            animation->Start();
        }
        QEventLoop loop;
        const double cpu = CPUSeconds();
        const auto start = std::chrono::steady_clock::now();
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        percent = (CPUSeconds() - cpu) / wall * 100;
        State.SetIterationTime(wall);
    }
    State.counters["cpu_percent"] = percent;
}

void AnimationCPU(benchmark::State &State)
{
    MeasureCPU(State, true);
}

void IdleCPU(benchmark::State &State)
{
    MeasureCPU(State, false);
}

BENCHMARK(ScrollRow)
    ->UseManualTime()
    ->Iterations(300)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(ScrollJump)
    ->UseManualTime()
    ->Iterations(100)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(AnimationCPU)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(IdleCPU)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    InstallStyle();
    benchmark::Initialize(&argc, argv);
    TMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.Has("ScrollRow"))
        Figure("lists.scroll_row_ms", reporter.Time("ScrollRow"), "ms", 3);
    if (reporter.Has("ScrollJump"))
        Figure("lists.scroll_jump_ms", reporter.Time("ScrollJump"), "ms", 3);
    if (reporter.Has("AnimationCPU"))
        Figure("ui.animation_cpu_percent", reporter.Counter("AnimationCPU", "cpu_percent"), "%");
    if (reporter.Has("IdleCPU"))
        Figure("ui.idle_cpu_percent", reporter.Counter("IdleCPU", "cpu_percent"), "%");
    Window.reset();
    THierarchicalSingleton::DoDestroy();
    return 0;
}
