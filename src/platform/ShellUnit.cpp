#include "platform/ShellUnit.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>

namespace Shell {

bool IsUserAnAdmin()
{
    return geteuid() == 0;
}

QString CurrentUserId()
{
    return QString::number(getuid());
}

void ShowItemInFileBrowser(const QString &Path)
{
    const QUrl file = QUrl::fromLocalFile(Path);
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList {file.toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(Path).absolutePath()));
}

bool MoveToTrash(const QString &Path)
{
    // Qt falls back on the home trash, and when it cannot make that either it
    // moves the file into "files" under the working folder and reports
    // success. With the home trash in place that cannot happen.
    const QString homeTrash
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    return QDir().mkpath(homeTrash) && QFile::moveToTrash(Path);
}

QString PathDrive(const QString &Path)
{
    if (!Path.startsWith(u'/'))
        return {};
    const QStringList parts = Path.split(u'/', Qt::SkipEmptyParts);
    // Removable media appear this many folders down from these roots.
    const struct
    {
        QStringList Root;
        int Depth;
    } mountRoots[] = {
        {{QStringLiteral("media")}, 3},
        {{QStringLiteral("run"), QStringLiteral("media")}, 4},
        {{QStringLiteral("mnt")}, 2},
    };
    int depth = 1;
    for (const auto &root : mountRoots)
        if (parts.size() >= root.Depth && parts.mid(0, root.Root.size()) == root.Root)
            depth = root.Depth;
    return parts.isEmpty() ? QStringLiteral("/") : u'/' + parts.mid(0, depth).join(u'/');
}

bool DriveExists(const QString &Drive)
{
    return !Drive.isEmpty() && QFileInfo(Drive).isDir();
}

} // namespace Shell
