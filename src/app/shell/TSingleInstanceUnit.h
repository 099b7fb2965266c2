#pragma once

#include <QString>

#include <functional>
#include <memory>

class QDeadlineTimer;
class QLocalServer;
class TFileLock;

// One running player per user. The first start holds the user's lock and
// listens on the user's local socket; a later start asks it to show its
// window and ends before it touches any file. The system drops the lock with
// its holder, so a killed player never blocks a start.
class TSingleInstance
{
public:
    // Name: the socket's path; the lock file lies beside it.
    explicit TSingleInstance(QString Name = UserSocketName());
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;

    // True: this is the running player from now on. False: another one runs
    // and has taken the request to show its window, or never answered.
    bool Claim();

    // A later start asks for the window; called on the interface thread.
    std::function<void()> OnActivationRequested;

    // In the user's runtime folder, with the user's id in its name.
    static QString UserSocketName();

private:
    void Listen();
    void ServeRequests();
    bool HandOver(const QDeadlineTimer &Deadline) const;

    QString FName;
    std::unique_ptr<TFileLock> FLock;
    std::unique_ptr<QLocalServer> FServer;
};
