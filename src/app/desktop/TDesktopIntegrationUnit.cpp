#include "app/desktop/TDesktopIntegrationUnit.h"

#include "app/desktop/TMediaPlayerServiceUnit.h"
#include "app/desktop/TTrackNotifierUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "ui/wrappers/TArtistImageWrapperUnit.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWidget>

namespace {

// Large enough for any applet or notice; the file stays small.
constexpr int PictureSize = 512;

} // namespace

TDesktopIntegration::TDesktopIntegration(const QDBusConnection &Bus, QWidget &Window,
    TPlayerControlsPanelWrapper &Controls, TArtistImageWrapper &ArtistImage, std::function<void()> OnRaise) :
      FWindow(Window),
      FArtistImage(ArtistImage)
{
    if (!Bus.isConnected())
        return;
    FMediaPlayer = std::make_unique<TMediaPlayerService>(
        Bus, Controls, [this] { return PlayingPicture(); }, std::move(OnRaise));
    FNotifier = std::make_unique<TTrackNotifier>(Bus);
    FPlayerToken = AudioPlayer->OnChange.Add([this](TObject *, TAudioPlayerChange Change) { PlayerChanged(Change); });
    QObject::connect(
        &FArtistImage, &TArtistImageWrapper::PictureChanged, FMediaPlayer.get(), [this] { PictureChanged(); });
}

TDesktopIntegration::~TDesktopIntegration()
{
    if (FPlayerToken != 0)
        AudioPlayer->OnChange.Remove(FPlayerToken);
}

bool TDesktopIntegration::IsMediaPlayerRegistered() const
{
    return FMediaPlayer && FMediaPlayer->IsRegistered();
}

QUrl TDesktopIntegration::PlayingPicture() const
{
    const TCustomPlaylistItem *item = AudioPlayer->CurrentPlaylistItem();
    if (!item || FPictureFile.isEmpty() || item->Artist != FPictureArtist)
        return {};
    return QUrl::fromLocalFile(FPictureFile);
}

void TDesktopIntegration::PictureChanged()
{
    if (!FPictureFile.isEmpty())
        QFile::remove(FPictureFile);
    FPictureFile.clear();
    const QImage &picture = FArtistImage.Picture();
    if (!picture.isNull()) {
        if (!FPictureFolder) {
            const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
            FPictureFolder = std::make_unique<QTemporaryDir>(
                (runtime.isEmpty() ? QDir::tempPath() : runtime) + QStringLiteral("/marvane-player-pictures-XXXXXX"));
        }
        // A new name each time: the desktop keeps pictures by their address.
        const QString file = FPictureFolder->filePath(QStringLiteral("artist-%1.png").arg(++FPictureSerial));
        const QImage scaled = picture.width() > PictureSize || picture.height() > PictureSize
            ? picture.scaled(PictureSize, PictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : picture;
        if (FPictureFolder->isValid() && scaled.save(file, "PNG")) {
            FPictureFile = file;
            FPictureArtist = FArtistImage.Artist();
        }
    }
    FMediaPlayer->ArtChanged();
    const QUrl playing = PlayingPicture();
    if (FNoticeAwaitsPicture && playing.isValid() && FNotifiedItem->EqualsTo(AudioPlayer->CurrentPlaylistItem())) {
        FNoticeAwaitsPicture = false;
        FNotifier->Update(playing);
    }
}

void TDesktopIntegration::PlayerChanged(TAudioPlayerChange Change)
{
    if (Change == TAudioPlayerChange::pcState && AudioPlayer->State() == TAudioPlayerState::psStopped) {
        FNotifiedItem.reset();
        FNoticeAwaitsPicture = false;
    }
    const TCustomPlaylistItem *item = AudioPlayer->CurrentPlaylistItem();
    // A track connects, then starts: one notice.
    if (Change != TAudioPlayerChange::pcTrack || !item || (FNotifiedItem && FNotifiedItem->EqualsTo(item)))
        return;
    FNotifiedItem = CloneOf(*item);
    FNoticeAwaitsPicture = false;
    if (FWindow.isActiveWindow() || !GetInstance<TQelmSettings>()->TrackNotificationsFlag())
        return;
    const QUrl picture = PlayingPicture();
    FNoticeAwaitsPicture = !picture.isValid();
    FNotifier->Show(item->Title, item->Artist, picture);
}
