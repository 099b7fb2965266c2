#include "support/TestEnvironment.h"

#include "app/application/ApplicationUnit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QThread>

#include <cstdlib>
#include <thread>

namespace {
constexpr const char *FolderVariables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "MARVANE_MACHINE_CONFIG_DIR"};

// The desktop's music folder, as the user's folder list names it, inside Home.
void PlaceMusicFolder(const QString &ConfigHome, const QString &Home)
{
    QDir().mkpath(ConfigHome);
    QFile list(ConfigHome + QStringLiteral("/user-dirs.dirs"));
    if (list.open(QIODevice::WriteOnly | QIODevice::Truncate))
        list.write("XDG_MUSIC_DIR=\"" + (Home + QStringLiteral("/Music")).toUtf8() + "\"\n");
}
} // namespace

namespace TestEnvironment {

void PrepareProcess()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The user's session bus is not the tests' own: a test that wants one starts it.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (qEnvironmentVariableIsEmpty("MARVANE_AUDIO_SINK"))
        qputenv("MARVANE_AUDIO_SINK", "fakesink");
    static QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    // Keep the GStreamer plugin cache out of the user's home.
    qputenv("GST_REGISTRY", (runtime.path() + QStringLiteral("/gst-registry.bin")).toLocal8Bit());
    static QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    PlaceMusicFolder(home.path() + QStringLiteral("/config"), home.path());
    qputenv("MARVANE_MACHINE_CONFIG_DIR", (home.path() + QStringLiteral("/machine")).toLocal8Bit());
    // No test reaches a real host: a host the test does not give is a closed
    // loopback port, which refuses at once (the windows sign in at start).
    for (const char *host : {"MARVANE_VK_WEB_URL", "MARVANE_VK_LOGIN_URL", "MARVANE_VK_API_URL",
             "MARVANE_SIGNUP_RELAY_URL", "MARVANE_LASTFM_URL", "MARVANE_UPDATE_URL"})
        if (qEnvironmentVariableIsEmpty(host))
            qputenv(host, "http://127.0.0.1:9");
}

bool WaitFor(const std::function<bool()> &Done, std::chrono::milliseconds Deadline)
{
    QElapsedTimer timer;
    timer.start();
    while (!Done()) {
        if (timer.elapsed() > Deadline.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

QByteArray PngPicture(const QColor &Colour)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace TestEnvironment

TTempUserFolders::TTempUserFolders()
{
    const QString dirs[] = {DataHome(), ConfigHome(), MachineConfig()};
    for (int i = 0; i < 3; ++i) {
        FSaved[i] = qgetenv(FolderVariables[i]);
        QDir().mkpath(dirs[i]);
        qputenv(FolderVariables[i], dirs[i].toLocal8Bit());
    }
    PlaceMusicFolder(ConfigHome(), Root());
}

TTempUserFolders::~TTempUserFolders()
{
    for (int i = 0; i < 3; ++i)
        qputenv(FolderVariables[i], FSaved[i]);
}

TShownErrors::TShownErrors() :
      FSaved(Application::SetExceptionHandler([this](const QString &Message) { Messages << Message; }))
{
}

TShownErrors::~TShownErrors()
{
    Application::SetExceptionHandler(std::move(FSaved));
}

TNewThreadWakeUps::TNewThreadWakeUps() : FOld(Counts())
{
}

std::map<long, long long> TNewThreadWakeUps::Counts() const
{
    std::map<long, long long> counts;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue; // ended meanwhile
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                counts[task.toLong()] = line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return counts;
}

long long TNewThreadWakeUps::Over(std::chrono::milliseconds Period) const
{
    std::this_thread::sleep_for(Period / 5);
    const auto before = Counts();
    std::this_thread::sleep_for(Period);
    const auto after = Counts();
    long long wakeUps = 0;
    for (const auto &[task, count] : after) {
        const auto earlier = before.find(task);
        if (!FOld.contains(task) && earlier != before.end())
            wakeUps += count - earlier->second;
    }
    return wakeUps;
}
