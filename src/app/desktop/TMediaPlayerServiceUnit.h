#pragma once

#include "playback/TAudioPlayerUnit.h"

#include <QDBusConnection>
#include <QObject>
#include <QUrl>

#include <functional>

class TMprisPlayerAdaptor;
class TPlayerControlsPanelWrapper;

// The player as a media player of the session bus (MPRIS), so that the
// desktop's media applet, media keys and headset buttons drive it. It presses
// the window's own controls where the window keeps state (play, volume), and
// tells the bus what changed as the player reports it; nothing is polled.
// Without a bus, or with its name taken, it stays silent.
class TMediaPlayerService : public QObject
{
    Q_OBJECT
public:
    static const QString ServiceName;
    static const QString ObjectPath;

    // ArtUrl gives the playing artist's picture as a file, or nothing.
    TMediaPlayerService(const QDBusConnection &Bus, TPlayerControlsPanelWrapper &Controls, std::function<QUrl()> ArtUrl,
        std::function<void()> OnRaise);
    ~TMediaPlayerService() override;

    bool IsRegistered() const { return FRegistered; }
    TPlayerControlsPanelWrapper &Controls() const { return FControls; }
    QUrl ArtUrl() const { return FArtUrl(); }
    void RaiseWindow() const;
    // The picture that ArtUrl gives has changed.
    void ArtChanged();

private:
    void PlayerChanged(TAudioPlayerChange Change);
    void Announce(const QStringList &Properties);

    QDBusConnection FBus;
    TPlayerControlsPanelWrapper &FControls;
    std::function<QUrl()> FArtUrl;
    std::function<void()> FOnRaise;
    TMprisPlayerAdaptor *FPlayerAdaptor;
    TAudioPlayerChangeEventList::TToken FPlayerToken = 0;
    bool FRegistered = false;
};
