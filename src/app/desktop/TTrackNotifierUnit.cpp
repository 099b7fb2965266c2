#include "app/desktop/TTrackNotifierUnit.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

TTrackNotifier::TTrackNotifier(const QDBusConnection &Bus) : FBus(Bus)
{
}

void TTrackNotifier::Show(const QString &Title, const QString &Artist, const QUrl &Picture)
{
    FTitle = Title;
    FArtist = Artist;
    FPicture = Picture;
    Send(false);
}

void TTrackNotifier::Update(const QUrl &Picture)
{
    FPicture = Picture;
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
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *Finished) {
        const QDBusPendingReply<uint> reply = *Finished;
        if (!reply.isError())
            FLastID = reply.value();
        Finished->deleteLater();
    });
}
