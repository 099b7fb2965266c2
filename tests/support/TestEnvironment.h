#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <map>

namespace TestEnvironment {

// Sets the environment a headless test process needs; runs before the
// application object exists.
void PrepareProcess();

// Serves the interface thread's event loop until Done() holds or the
// deadline passes; returns Done().
bool WaitFor(const std::function<bool()> &Done, std::chrono::milliseconds Deadline = std::chrono::seconds(10));

// A small PNG of one colour, so that pictures can be told apart.
QByteArray PngPicture(const QColor &Colour);

} // namespace TestEnvironment

// Points the user's data, config and music folders at a fresh temporary
// folder for as long as it lives.
class TTempUserFolders
{
public:
    TTempUserFolders();
    ~TTempUserFolders();
    QString Root() const { return FDir.path(); }
    QString DataHome() const { return FDir.path() + QStringLiteral("/data"); }
    QString ConfigHome() const { return FDir.path() + QStringLiteral("/config"); }
    QString MachineConfig() const { return FDir.path() + QStringLiteral("/machine"); }

private:
    QTemporaryDir FDir;
    QByteArray FSaved[3];
};

// Collects the messages the application shows to the user, for as long as it
// lives.
class TShownErrors
{
public:
    TShownErrors();
    ~TShownErrors();
    TShownErrors(const TShownErrors &) = delete;
    TShownErrors &operator=(const TShownErrors &) = delete;

    QStringList Messages;

private:
    std::function<void(const QString &Message)> FSaved;
};

// How often the threads started after it went to sleep: the voluntary
// context switches the kernel counts for each of them. A thread that waits for
// work without a time-out adds none while nothing happens.
class TNewThreadWakeUps
{
public:
    TNewThreadWakeUps(); // the threads running now are not counted
    // The wake-ups of the new threads alive over Period, while the calling
    // thread sleeps. Counting starts after a fifth of Period, the time a
    // thread has to finish what it was doing (a queue's last timed pass).
    long long Over(std::chrono::milliseconds Period) const;

private:
    std::map<long, long long> Counts() const;
    std::map<long, long long> FOld;
};
