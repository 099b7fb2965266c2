#include "app/desktop/TMediaPlayerServiceUnit.h"

#include "app/desktop/TMprisAdaptorsUnit.h"

#include <QDBusMessage>

const QString TMediaPlayerService::ServiceName = QStringLiteral("org.mpris.MediaPlayer2.marvane");
const QString TMediaPlayerService::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

TMediaPlayerService::TMediaPlayerService(const QDBusConnection &Bus, TPlayerControlsPanelWrapper &Controls,
    std::function<QUrl()> ArtUrl, std::function<void()> OnRaise) :
      FBus(Bus),
      FControls(Controls), FArtUrl(std::move(ArtUrl)), FOnRaise(std::move(OnRaise))
{
    // Children of this object: the bus finds them through it.
    new TMprisRootAdaptor(*this);
    FPlayerAdaptor = new TMprisPlayerAdaptor(*this);
    if (!FBus.isConnected() || !FBus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors))
        return;
    if (!FBus.registerService(ServiceName)) {
        FBus.unregisterObject(ObjectPath);
        return;
    }
    FRegistered = true;
    FPlayerToken = AudioPlayer->OnChange.Add([this](TObject *, TAudioPlayerChange Change) { PlayerChanged(Change); });
}

TMediaPlayerService::~TMediaPlayerService()
{
    if (!FRegistered)
        return;
    AudioPlayer->OnChange.Remove(FPlayerToken);
    FBus.unregisterService(ServiceName);
    FBus.unregisterObject(ObjectPath);
}

void TMediaPlayerService::RaiseWindow() const
{
    if (FOnRaise)
        FOnRaise();
}

void TMediaPlayerService::ArtChanged()
{
    if (FRegistered)
        Announce({QStringLiteral("Metadata")});
}

void TMediaPlayerService::PlayerChanged(TAudioPlayerChange Change)
{
    switch (Change) {
    case TAudioPlayerChange::pcTrack:
    case TAudioPlayerChange::pcState:
        Announce({QStringLiteral("PlaybackStatus"), QStringLiteral("Metadata"), QStringLiteral("CanGoNext"),
            QStringLiteral("CanGoPrevious"), QStringLiteral("CanPause"), QStringLiteral("CanSeek")});
        break;
    case TAudioPlayerChange::pcVolume:
        Announce({QStringLiteral("Volume")});
        break;
    case TAudioPlayerChange::pcSeek:
        Q_EMIT FPlayerAdaptor->Seeked(FPlayerAdaptor->Position());
        break;
    }
}

void TMediaPlayerService::Announce(const QStringList &Properties)
{
    QVariantMap changed;
    for (const QString &name : Properties)
        changed.insert(name, FPlayerAdaptor->property(name.toLatin1().constData()));
    QDBusMessage signal = QDBusMessage::createSignal(
        ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    FBus.send(signal);
}
