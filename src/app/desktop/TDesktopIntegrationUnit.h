#pragma once

#include <QDBusConnection>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;
class TArtistImageWrapper;
class TCustomPlaylistItem;
class TMediaPlayerService;
class TPlayerControlsPanelWrapper;
class TTrackNotifier;
enum class TAudioPlayerChange;

// The player on the desktop around it: the media controls of the session bus
// and a notification of each new track while the window is not active, both
// with the artist's picture the window shows. Lives while the player does,
// within the window's life. Without a session bus it does nothing.
class TDesktopIntegration
{
public:
    TDesktopIntegration(const QDBusConnection &Bus, QWidget &Window, TPlayerControlsPanelWrapper &Controls,
        TArtistImageWrapper &ArtistImage, std::function<void()> OnRaise);
    ~TDesktopIntegration();
    TDesktopIntegration(const TDesktopIntegration &) = delete;
    TDesktopIntegration &operator=(const TDesktopIntegration &) = delete;

    bool IsMediaPlayerRegistered() const;

private:
    void PlayerChanged(TAudioPlayerChange Change);
    void PictureChanged();
    // The picture file of the playing track's artist, or nothing.
    QUrl PlayingPicture() const;

    QWidget &FWindow;
    TArtistImageWrapper &FArtistImage;
    std::unique_ptr<TMediaPlayerService> FMediaPlayer;
    std::unique_ptr<TTrackNotifier> FNotifier;
    quint64 FPlayerToken = 0;
    // The pictures handed to the desktop: files, in a folder of the session.
    std::unique_ptr<QTemporaryDir> FPictureFolder;
    QString FPictureFile;
    QString FPictureArtist;
    int FPictureSerial = 0;
    // The track last seen starting, and whether its notice was shown
    // without a picture that may still come.
    std::unique_ptr<TCustomPlaylistItem> FNotifiedItem;
    bool FNoticeAwaitsPicture = false;
};
