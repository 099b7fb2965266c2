#include "app/desktop/TTrackNotifierUnit.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <utility>

TTrackNotifier::TTrackNotifier(const QDBusConnection &Bus) : FBus(Bus)
{
}

void TTrackNotifier::Show(const QString &Title, const QString &Artist, const QUrl &Picture)
{
    FTitle = Title;
    FArtist = Artist;
    FPicture = Picture;
    Send();
}

void TTrackNotifier::Update(const QUrl &Picture)
{
    FPicture = Picture;
    Send();
}

void TTrackNotifier::Send()
{
    if (!FBus.isConnected())
        return;
    // The notice to replace is not known yet: the newest text goes once it is.
    if (FAwaitingID) {
        FSendWaiting = true;
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("marvane-player"));
    // What plays now, not news to keep: no sound, nothing in the history.
    hints.insert(QStringLiteral("suppress-sound"), true);
    hints.insert(QStringLiteral("transient"), true);
    if (FPicture.isValid())
        hints.insert(QStringLiteral("image-path"), FPicture.toString());
    // The body may be read as markup: an artist's "<" or "&" stays text.
    call << QStringLiteral("Marvane Player") << FLastID << QStringLiteral("marvane-player") << FTitle
         << FArtist.toHtmlEscaped() << QStringList() << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    FAwaitingID = true;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *Finished) {
        Finished->deleteLater();
        FAwaitingID = false;
        const QDBusPendingReply<uint> reply = *Finished;
        if (!reply.isError())
            FLastID = reply.value();
        if (std::exchange(FSendWaiting, false))
            Send();
    });
}
