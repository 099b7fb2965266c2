#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPixmap>

#include <functional>

class QAbstractAnimation;
class QLabel;
class QWidget;
class TBitmapAnimation;

// Fetches an artist's picture in the background (the Last.fm artist image
// getter); the result arrives on the interface thread.
class IArtistImageSource
{
public:
    virtual ~IArtistImageSource() = default;
    using TResultEvent = std::function<void(quint32 GetterID, bool Succeeded, const QByteArray &Image)>;
    // Starts a getter for Artist; returns its identifier.
    virtual quint32 StartArtistImageGetter(const QString &Artist, TResultEvent OnResult) = 0;
};

// The artist picture of the playing track, cross-faded on every change, the
// style's default picture when there is none.
class TArtistImageWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    TArtistImageWrapper(QObject *AOwner, QWidget *AControl, IArtistImageSource &ASource);

    const QString &Artist() const { return FArtist; }
    void SetArtist(const QString &Value);
    bool IsDefaultBitmapSet() const { return FIsDefaultBitmapSet; }
    QLabel *Container() const { return FArtistImageContainer; }
    TBitmapAnimation *ImageAnimation() const { return FArtistImageAnimation; }
    QAbstractAnimation *ShadowAnimation() const { return FShadowOpacityAnimation; }
    // The artist's picture as it came, for the desktop; null while the default shows.
    const QImage &Picture() const { return FPicture; }

Q_SIGNALS:
    void PictureChanged();

private:
    void ImageGetterResult(quint32 GetterID, bool Succeeded, const QByteArray &Image);
    void FadeTo(const QPixmap &Bitmap);
    void RunShadow(bool Forward);

    IArtistImageSource &FSource;
    QLabel *FArtistImageContainer;
    TBitmapAnimation *FArtistImageAnimation;
    QWidget *FShadowSubImage;
    QAbstractAnimation *FShadowOpacityAnimation;
    QPixmap FDefaultArtistBitmap;
    QImage FPicture;
    bool FIsDefaultBitmapSet = true;
    QString FArtist;
    quint32 FLastImageGetterID = 0;
    bool FHasGetter = false;
};
