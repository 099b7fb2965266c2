// From launch to a window: the player showing a My Music of 1,000 tracks from
// the stand-in, against a bare Qt window of the same build, warm, the two in
// turn in the same run; the player's memory 5 s after its start and its
// processor use over the 10 s after that, idle with the list shown; and the
// list scrolled one row at a time in the real window.
//
// Every start gets a data, configuration and runtime folder of its own, with
// the session of a sign-in made once through marvane-cli and an empty
// saved-tracks table.
#include "support/BenchReport.h"
#include "vkweb/VKWebTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr int MyMusicSize = 1000;
constexpr int Pairs = 7;
constexpr auto ShowDeadline = 30s;
constexpr auto MemoryAfter = 5s;
constexpr auto IdleSpan = 10s;

const QString Player = QStringLiteral(MARVANE_PLAYER_PROGRAM);
const QString Probe = QStringLiteral(MARVANE_PROBE_PROGRAM);
const QString BareWindow = QStringLiteral(MARVANE_BARE_WINDOW_PROGRAM);

// What one start of a player needs: its own folders, the signed-in session
// and an empty saved-tracks table.
class TProfiles
{
public:
    explicit TProfiles(const QString &CookieFile) : FCookieFile(CookieFile) { }

    QStringList NewProfile()
    {
        const QString root = FRoot.filePath(QString::number(++FCount));
        const QString data = root + QStringLiteral("/data"), runtime = root + QStringLiteral("/runtime");
        QDir().mkpath(data + QStringLiteral("/MarvanePlayer"));
        QDir().mkpath(root + QStringLiteral("/config"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!QFile::copy(FCookieFile, data + QStringLiteral("/MarvanePlayer/cookies.ini"))
            || !QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), data + QStringLiteral("/MarvanePlayer/SavedTracks.db")))
            throw std::runtime_error("a profile could not be made");
        QFile::setPermissions(
            data + QStringLiteral("/MarvanePlayer/SavedTracks.db"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return {QStringLiteral("XDG_DATA_HOME=") + data,
            QStringLiteral("XDG_CONFIG_HOME=") + root + QStringLiteral("/config"),
            QStringLiteral("XDG_RUNTIME_DIR=") + runtime, QStringLiteral("QT_QPA_PLATFORM=offscreen"),
            QStringLiteral("MARVANE_AUDIO_SINK=fakesink")};
    }

private:
    QString FCookieFile;
    QTemporaryDir FRoot;
    int FCount = 0;
};

// Signs plain@marvane.test in once, into a data folder of its own; returns
// the cookie file it left.
QString SignIn(const QTemporaryDir &Folder)
{
    TChildProcess cli;
    const QString data = Folder.filePath(QStringLiteral("data"));
    if (!cli.Start(QStringLiteral(MARVANE_CLI_PROGRAM), {QStringLiteral("login"), QStringLiteral("plain@marvane.test")},
            {.ReadErrors = true,
                .Environment = {QStringLiteral("XDG_DATA_HOME=") + data,
                    QStringLiteral("XDG_CONFIG_HOME=") + Folder.filePath(QStringLiteral("config"))}}))
        throw std::runtime_error("marvane-cli did not start");
    cli.Write("plain-pass\n");
    cli.CloseInput();
    if (!cli.WaitForExit(20s) || cli.ExitCode() != 0)
        throw std::runtime_error("the sign-in failed: " + cli.Errors().toStdString());
    return data + QStringLiteral("/MarvanePlayer/cookies.ini");
}

struct TStart
{
    std::optional<double> ShownMs;
    QByteArray Output;
    QByteArray Errors;
};

// Starts Program and times it from the spawn to the "shown NANOSECONDS" it prints.
TStart TimeStart(const QString &Program, const QStringList &Arguments, const QStringList &Environment)
{
    TChildProcess child;
    TStart start;
    const auto spawn = std::chrono::steady_clock::now();
    if (!child.Start(Program, Arguments, {.ReadErrors = true, .Environment = Environment}))
        return start;
    const bool shown = child.WaitFor([&child] { return child.Output().contains('\n'); }, ShowDeadline);
    if (!child.WaitForExit(20s))
        child.Signal(SIGKILL);
    start.Output = child.Output();
    start.Errors = child.Errors();
    const QList<QByteArray> words = child.Output().split('\n').value(0).split(' ');
    if (shown && words.value(0) == "shown") {
        const std::chrono::steady_clock::time_point at {std::chrono::nanoseconds(words.value(1).toLongLong())};
        start.ShownMs = std::chrono::duration<double, std::milli>(at - spawn).count();
    }
    return start;
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values.empty() ? 0 : Values[Values.size() / 2];
}

// Resident memory in MB and the processor time so far, in seconds, from /proc.
double ResidentMB(pid_t Pid)
{
    std::ifstream status("/proc/" + std::to_string(Pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double CPUSeconds(pid_t Pid)
{
    std::ifstream stat("/proc/" + std::to_string(Pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the program name, which may hold spaces: utime and stime are the 12th and 13th.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i)
        if (i >= 12)
            ticks += std::stod(field);
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The two in turn, the first pair only to warm the caches up. False when the
// list never showed.
bool MeasureStarts(TProfiles &Profiles)
{
    std::vector<double> window, bare;
    QByteArray missing;
    for (int pair = 0; pair <= Pairs; ++pair) {
        const TStart start = TimeStart(Probe, {}, Profiles.NewProfile());
        const TStart yardstick = TimeStart(BareWindow, {}, Profiles.NewProfile());
        if (!yardstick.ShownMs)
            throw std::runtime_error("the bare window did not show: " + yardstick.Errors.toStdString());
        if (!start.ShownMs) {
            // The list never showed: no use trying again.
            missing = start.Errors.trimmed();
            if (pair == 0)
                break;
        }
        if (pair > 0) {
            if (start.ShownMs)
                window.push_back(*start.ShownMs);
            bare.push_back(*yardstick.ShownMs);
        }
    }
    if (bare.empty()) // the window was missing: the yardstick alone
        for (int run = 0; run <= Pairs; ++run)
            if (const std::optional<double> ms = TimeStart(BareWindow, {}, Profiles.NewProfile()).ShownMs; ms && run)
                bare.push_back(*ms);
    Figure("startup.bare_qt_window_ms", Median(bare), "ms", 1);
    if (window.empty()) {
        std::printf("startup.window_ms and lists.window_scroll_row_ms not measured: %s\n", missing.constData());
        return false;
    }
    Figure("startup.window_ms", Median(window), "ms", 1);
    Figure("startup.window_ratio", Median(window) / Median(bare), "", 2);
    return true;
}

void MeasureScroll(TProfiles &Profiles)
{
    const TStart start = TimeStart(Probe, {QStringLiteral("--scroll")}, Profiles.NewProfile());
    const QList<QByteArray> lines = start.Output.split('\n');
    if (!start.ShownMs || !lines.value(1).startsWith("scroll-row-ms ")) {
        std::printf("lists.window_scroll_row_ms not measured: %s\n", start.Errors.trimmed().constData());
        return;
    }
    Figure("lists.window_scroll_row_ms", lines[1].mid(14).toDouble(), "ms", 3);
}

// The real program, left alone once started.
void MeasureIdlePlayer(TProfiles &Profiles, const TStandin &Standin)
{
    TChildProcess player;
    if (!player.Start(Player, {}, {.ReadErrors = true, .Environment = Profiles.NewProfile()}))
        throw std::runtime_error("the player did not start");
    std::this_thread::sleep_for(MemoryAfter);
    if (!player.IsRunning() || player.WaitForExit(0ms))
        throw std::runtime_error("the player ended early: " + player.Errors().toStdString());
    const double resident = ResidentMB(player.Pid());
    const double cpuBefore = CPUSeconds(player.Pid());
    std::this_thread::sleep_for(IdleSpan);
    const double cpu = CPUSeconds(player.Pid()) - cpuBefore;
    const bool listAsked = Standin.LogLines().join(u'\n').contains(QStringLiteral("load_silent"));
    player.Signal(SIGTERM);
    if (!player.WaitForExit(20s))
        player.Signal(SIGKILL);
    if (!listAsked)
        std::printf(
            "note: the player did not ask for My Music within %lld s\n", static_cast<long long>(MemoryAfter.count()));
    Figure("startup.rss_mb", resident, "MB", 1);
    Figure("startup.idle_cpu_percent", 100.0 * cpu / std::chrono::duration<double>(IdleSpan).count(), "%");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    try {
        TStandin standin({QStringLiteral("--my-music-size"), QString::number(MyMusicSize)});
        if (!standin.IsReady())
            throw std::runtime_error("the stand-in did not start");
        QTemporaryDir signIn;
        TProfiles profiles(SignIn(signIn));
        if (MeasureStarts(profiles))
            MeasureScroll(profiles);
        MeasureIdlePlayer(profiles, standin);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
