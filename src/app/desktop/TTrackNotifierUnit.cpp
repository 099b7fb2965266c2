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
    FUpdateWaiting = false;
    Send(false);
}

void TTrackNotifier::Update(const QUrl &Picture)
{
    FPicture = Picture;
    // The notice's number is not known yet: sent once it is.
    FUpdateWaiting = FAwaitingID;
    if (!FUpdateWaiting)
        Send(true);
}

void TTrackNotifier::Send(bool ReplaceLast)
{
    if (!FBus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("marvane-player"));
    // Each track has one: no sound, and none kept in the history.
    hints.insert(QStringLiteral("suppress-sound"), true);
    hints.insert(QStringLiteral("transient"), true);
    if (FPicture.isValid())
        hints.insert(QStringLiteral("image-path"), FPicture.toString());
    // The body may be read as markup: an artist's "<" or "&" stays text.
    call << QStringLiteral("Marvane Player") << (ReplaceLast ? FLastID : 0u) << QStringLiteral("marvane-player")
         << FTitle << FArtist.toHtmlEscaped() << QStringList() << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    FAwaitingID = true;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *Finished) {
        Finished->deleteLater();
        // An answer to an earlier notice changes nothing.
        if (Finished != FLastCall)
            return;
        FAwaitingID = false;
        const QDBusPendingReply<uint> reply = *Finished;
        if (reply.isError())
            return;
        FLastID = reply.value();
        if (std::exchange(FUpdateWaiting, false))
            Send(true);
    });
    FLastCall = watcher;
}
