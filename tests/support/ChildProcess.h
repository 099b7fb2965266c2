#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

#include <sys/types.h>

// A program run by a test, started with posix_spawn. QProcess starts programs
// with vfork semantics, after which ThreadSanitizer loses track of every lock
// in the test; this keeps the test's locks in view. Standard output is always
// read, standard error read or passed on to the test's own.
class TChildProcess
{
public:
    struct TOptions
    {
        bool ReadErrors = false;
        // NAME=VALUE entries added to or replacing the test's environment; a
        // bare NAME removes that variable.
        QStringList Environment = {};
        QString WorkingDirectory = {};
    };

    TChildProcess() = default;
    // A child still running is killed and reaped.
    ~TChildProcess();
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    bool Start(const QString &Program, const QStringList &Arguments, const TOptions &Options);
    bool Start(const QString &Program, const QStringList &Arguments) { return Start(Program, Arguments, TOptions()); }
    bool IsRunning() const { return FPid > 0 && !FEnded; }
    // For what /proc tells of the running child.
    pid_t Pid() const { return FPid; }
    // Whether the child has ended, without waiting: for a test that serves
    // its own event loop meanwhile. Reads what the child wrote so far.
    bool HasEnded();

    void Write(const QByteArray &Data);
    void CloseInput();
    // Reads what the child writes until Done holds or the deadline passes;
    // returns Done. Done is checked after every read and once the child ended.
    bool WaitFor(const std::function<bool()> &Done, std::chrono::milliseconds Deadline);
    // Waits for the end of the child; what it wrote before is read by then.
    bool WaitForExit(std::chrono::milliseconds Deadline = std::chrono::seconds(20));
    void Signal(int Number);

    const QByteArray &Output() const { return FOutput; }
    const QByteArray &Errors() const { return FErrors; }
    // True once the child ended through exit rather than by a signal.
    bool ExitedNormally() const { return FEnded && FExitedNormally; }
    int ExitCode() const { return FExitCode; }

private:
    void Reap();
    void CloseAll();

    pid_t FPid = 0;
    int FInput = -1;
    int FOutputPipe = -1;
    int FErrorPipe = -1;
    int FPidFD = -1;
    bool FEnded = false;
    bool FExitedNormally = false;
    int FExitCode = -1;
    QByteArray FOutput;
    QByteArray FErrors;
};
