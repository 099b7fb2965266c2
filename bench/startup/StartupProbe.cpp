// The player, started as marvane-player starts it, with an eye on its paints:
// prints "shown NANOSECONDS" (the monotonic clock) once the list surface has
// painted with all its rows, then ends. With --scroll it then scrolls the list
// one row at a time, each step with the repaint a frame costs, and prints
// "scroll-row-ms MEDIAN" before it ends.
//
//   marvane-startup-probe [--surface NAME] [--scroll-bar NAME] [--rows N] [--scroll]
//
// Without the surface (or its rows) in time it says what is missing on
// standard error and ends with 3.
#include "harness/PlayerHarness.h"

#include <QApplication>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int RowHeight = 32;
constexpr auto Deadline = std::chrono::seconds(20);

struct TOptions
{
    QString Surface = QStringLiteral("VKUserAudioListBoxSurface");
    QString ScrollBar = QStringLiteral("VKUserAudioListBoxScrollBar");
    int Rows = 1000;
    bool Scroll = false;
};

TOptions ParseOptions(const QStringList &Arguments)
{
    TOptions options;
    for (int i = 1; i < Arguments.size(); ++i) {
        const QString &option = Arguments[i];
        const bool hasValue = i + 1 < Arguments.size();
        if (option == u"--scroll")
            options.Scroll = true;
        else if (hasValue && option == u"--surface")
            options.Surface = Arguments[++i];
        else if (hasValue && option == u"--scroll-bar")
            options.ScrollBar = Arguments[++i];
        else if (hasValue && option == u"--rows")
            options.Rows = Arguments[++i].toInt();
    }
    return options;
}

// True once the scroll bar spans all the rows; a list of no rows needs none.
bool RowsLoaded(const TOptions &Options)
{
    if (Options.Rows == 0)
        return true;
    const auto *bar = PlayerHarness::Find<QScrollBar>(Options.ScrollBar);
    return bar && bar->maximum() + bar->pageStep() >= (Options.Rows - 1) * RowHeight;
}

// Watches every paint of the application for the surface's first one with
// the rows in.
class TPaintWatch : public QObject
{
public:
    TPaintWatch(const TOptions &Options) : FOptions(Options) { }

    bool Shown() const { return FShown; }
    std::chrono::steady_clock::time_point ShownAt() const { return FShownAt; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::Paint && !FPainting && !FShown && Watched->objectName() == FOptions.Surface
            && RowsLoaded(FOptions)) {
            FPainting = true;
            // Once the whole frame is painted and flushed.
            QTimer::singleShot(0, this, [this] {
                FShownAt = std::chrono::steady_clock::now();
                FShown = true;
            });
        }
        return false;
    }

private:
    const TOptions &FOptions;
    bool FPainting = false;
    bool FShown = false;
    std::chrono::steady_clock::time_point FShownAt;
};

// Median milliseconds of one row's step with its repaint, over the whole list.
double ScrollRowMs(const TOptions &Options)
{
    auto *bar = PlayerHarness::Find<QScrollBar>(Options.ScrollBar);
    QWidget *surface = PlayerHarness::Find(Options.Surface);
    std::vector<double> steps;
    for (int value = bar->minimum(); value + RowHeight <= bar->maximum(); value += RowHeight) {
        const auto start = std::chrono::steady_clock::now();
        bar->setValue(value + RowHeight);
        surface->repaint();
        steps.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (steps.empty())
        return 0;
    std::nth_element(steps.begin(), steps.begin() + std::ptrdiff_t(steps.size() / 2), steps.end());
    return steps[steps.size() / 2];
}

void SayMissing(const TOptions &Options)
{
    const auto *bar = PlayerHarness::Find<QScrollBar>(Options.ScrollBar);
    std::fprintf(stderr, "missing: %s did not paint with %d rows in %lld s (surface %s, scroll bar %s",
        qUtf8Printable(Options.Surface), Options.Rows, static_cast<long long>(Deadline.count()),
        PlayerHarness::Find(Options.Surface) ? "there" : "absent", bar ? "there" : "absent");
    if (bar)
        std::fprintf(stderr, ", spanning %d px", bar->maximum() + bar->pageStep());
    std::fprintf(stderr, ")\n");
}

} // namespace

int main(int argc, char **argv)
{
    TOptions options;
    TPaintWatch *watch = nullptr;
    return PlayerHarness::Run(
        argc, argv,
        [&] {
            options = ParseOptions(QCoreApplication::arguments());
            watch = new TPaintWatch(options);
            watch->setParent(qApp);
            qApp->installEventFilter(watch);
        },
        [&] {
            if (!PlayerHarness::WaitUntil([&] { return watch->Shown(); }, Deadline)) {
                SayMissing(options);
                QCoreApplication::exit(3);
                return;
            }
            std::printf("shown %lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(watch->ShownAt().time_since_epoch()).count()));
            std::fflush(stdout);
            qApp->removeEventFilter(watch);
            if (options.Scroll) {
                std::printf("scroll-row-ms %.3f\n", ScrollRowMs(options));
                std::fflush(stdout);
            }
            QCoreApplication::quit();
        });
}
