#include "support/ChildProcess.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <map>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// Reads what is there without blocking; false at the end of the stream.
bool Drain(int &FD, QByteArray &Into)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(FD, buffer, sizeof buffer);
        if (got > 0) {
            Into.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return true;
        ::close(FD);
        FD = -1;
        return false;
    }
}

void Close(int &FD)
{
    if (FD >= 0)
        ::close(FD);
    FD = -1;
}

// The test's environment with Changes applied, as execve takes it.
std::vector<QByteArray> EnvironmentWith(const QStringList &Changes)
{
    std::map<QByteArray, QByteArray> entries;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray line(*entry);
        entries[line.left(line.indexOf('='))] = line;
    }
    for (const QString &change : Changes) {
        const QByteArray line = change.toLocal8Bit();
        if (line.contains('='))
            entries[line.left(line.indexOf('='))] = line;
        else
            entries.erase(line);
    }
    std::vector<QByteArray> lines;
    for (const auto &entry : entries)
        lines.push_back(entry.second);
    return lines;
}

} // namespace

TChildProcess::~TChildProcess()
{
    if (IsRunning()) {
        Signal(SIGKILL);
        WaitForExit();
    }
    CloseAll();
}

bool TChildProcess::Start(const QString &Program, const QStringList &Arguments, const TOptions &Options)
{
    // A write to a child that has gone must fail, not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    int input[2], output[2], errors[2] = {-1, -1};
    if (::pipe2(input, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(output, O_CLOEXEC) != 0 || (Options.ReadErrors && ::pipe2(errors, O_CLOEXEC) != 0)) {
        for (int fd : {input[0], input[1], output[0], output[1]})
            ::close(fd);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    if (Options.ReadErrors)
        posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    const QByteArray folder = QFile::encodeName(Options.WorkingDirectory);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    // The child starts with default signal handling, whatever the test ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<QByteArray> arguments {QFile::encodeName(Program)};
    for (const QString &argument : Arguments)
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (auto &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> environment = EnvironmentWith(Options.Environment);
    std::vector<char *> envp;
    for (auto &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int failed = posix_spawn(&FPid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    for (int fd : {input[0], output[1], errors[1]})
        if (fd >= 0)
            ::close(fd);
    FInput = input[1];
    FOutputPipe = output[0];
    FErrorPipe = errors[0];
    if (failed) {
        FPid = 0;
        CloseAll();
        return false;
    }
    for (int fd : {FOutputPipe, FErrorPipe})
        if (fd >= 0)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    FPidFD = int(::syscall(SYS_pidfd_open, FPid, 0));
    FEnded = false;
    return FPidFD >= 0;
}

void TChildProcess::Write(const QByteArray &Data)
{
    qsizetype written = 0;
    while (FInput >= 0 && written < Data.size()) {
        const ssize_t put = ::write(FInput, Data.constData() + written, Data.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return;
        written += put;
    }
}

void TChildProcess::CloseInput()
{
    Close(FInput);
}

bool TChildProcess::WaitFor(const std::function<bool()> &Done, std::chrono::milliseconds Deadline)
{
    const auto until = std::chrono::steady_clock::now() + Deadline;
    while (!Done()) {
        if (FPid <= 0 || (FEnded && FOutputPipe < 0 && FErrorPipe < 0))
            return false;
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        std::vector<pollfd> watched;
        for (int fd : {FOutputPipe, FErrorPipe, FEnded ? -1 : FPidFD})
            if (fd >= 0)
                watched.push_back({fd, POLLIN, 0});
        if (::poll(watched.data(), watched.size(), int(left.count())) < 0 && errno != EINTR)
            return false;
        if (FOutputPipe >= 0)
            Drain(FOutputPipe, FOutput);
        if (FErrorPipe >= 0)
            Drain(FErrorPipe, FErrors);
        for (const pollfd &entry : watched)
            if (entry.fd == FPidFD && entry.revents)
                Reap();
    }
    return true;
}

bool TChildProcess::WaitForExit(std::chrono::milliseconds Deadline)
{
    return WaitFor([this] { return FEnded; }, Deadline);
}

bool TChildProcess::HasEnded()
{
    if (FPid > 0 && !FEnded) {
        if (FOutputPipe >= 0)
            Drain(FOutputPipe, FOutput);
        if (FErrorPipe >= 0)
            Drain(FErrorPipe, FErrors);
        Reap();
    }
    return FEnded;
}

void TChildProcess::Signal(int Number)
{
    if (IsRunning())
        ::kill(FPid, Number);
}

void TChildProcess::Reap()
{
    int status = 0;
    if (::waitpid(FPid, &status, WNOHANG) != FPid)
        return;
    FEnded = true;
    FExitedNormally = WIFEXITED(status);
    FExitCode = FExitedNormally ? WEXITSTATUS(status) : -1;
    // Whatever it wrote before it ended is in the pipes now.
    if (FOutputPipe >= 0)
        Drain(FOutputPipe, FOutput);
    if (FErrorPipe >= 0)
        Drain(FErrorPipe, FErrors);
}

void TChildProcess::CloseAll()
{
    for (int *fd : {&FInput, &FOutputPipe, &FErrorPipe, &FPidFD})
        Close(*fd);
}
