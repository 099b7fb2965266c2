// The yardstick of the start-up: a plain QMainWindow of the player's size,
// from the same build. Prints "shown NANOSECONDS" (the monotonic clock) once
// its first frame is painted, then ends.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

class TFirstPaint : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        if (Event->type() == QEvent::Paint && !FSeen) {
            FSeen = true;
            QTimer::singleShot(0, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("shown %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool FSeen = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(960, 640);
    TFirstPaint watch;
    window.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
