#include "app/shell/TSingleInstanceUnit.h"

#include "platform/ShellUnit.h"
#include "platform/TFileLockUnit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {
// The running player may be starting up or ending (its lock held, its socket
// not yet or no longer served): a later start waits this long for either.
constexpr int HandOverTimeoutMs = 30000;
constexpr int RetryPauseMs = 20;
// Sent once the window has been asked to show.
constexpr char Acknowledgement = 'A';
} // namespace

TSingleInstance::TSingleInstance(QString Name) :
      FName(std::move(Name)), FLock(std::make_unique<TFileLock>(FName + QStringLiteral(".lock")))
{
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::UserSocketName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/marvane-player-") + Shell::CurrentUserId();
}

bool TSingleInstance::Claim()
{
    const QDeadlineTimer deadline(HandOverTimeoutMs);
    for (;;) {
        if (FLock->TryLock()) {
            Listen();
            return true;
        }
        if (HandOver(deadline) || deadline.hasExpired())
            return false;
        QThread::msleep(RetryPauseMs);
    }
}

void TSingleInstance::Listen()
{
    // Left by a killed player; only the lock's holder may remove it.
    QLocalServer::removeServer(FName);
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FName))
        return;
    QObject::connect(FServer.get(), &QLocalServer::newConnection, [this] { ServeRequests(); });
    // A player whose loop has ended serves no request: later starts wait for
    // its lock instead.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, FServer.get(), &QLocalServer::close);
}

void TSingleInstance::ServeRequests()
{
    while (QLocalSocket *connection = FServer->nextPendingConnection()) {
        if (OnActivationRequested)
            OnActivationRequested();
        QObject::connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connection->write(&Acknowledgement, 1);
        connection->disconnectFromServer();
    }
}

bool TSingleInstance::HandOver(const QDeadlineTimer &Deadline) const
{
    QLocalSocket socket;
    socket.connectToServer(FName);
    if (!socket.waitForConnected(int(Deadline.remainingTime())))
        return false;
    char answer = 0;
    return socket.waitForReadyRead(int(Deadline.remainingTime())) && socket.read(&answer, 1) == 1
        && answer == Acknowledgement;
}
