#include "ui/wrappers/TArtistImageWrapperUnit.h"

#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"

#include <QLabel>
#include <QPointer>

TArtistImageWrapper::TArtistImageWrapper(QObject *AOwner, QWidget *AControl, IArtistImageSource &ASource) :
      QObject(AOwner), FSource(ASource)
{
    EnsureStyleApplied(AControl);
    const QString lookup = GetStyleLookup(AControl);
    FArtistImageContainer = FindStylePart<QLabel>(
        AControl, QStringLiteral("artistimagecontainer"), QStringLiteral(" not found inside of ") + lookup);
    FArtistImageAnimation = FindStylePart<TBitmapAnimation>(FArtistImageContainer,
        QStringLiteral("artistimageanimation"), QStringLiteral(" not found inside of artistimagecontainer"));
    FShadowSubImage
        = FindStylePart<QWidget>(AControl, QStringLiteral("shadowsubimage"), QStringLiteral(" not found in ") + lookup);
    FShadowOpacityAnimation
        = FindStylePart<QAbstractAnimation>(FShadowSubImage, QStringLiteral("shadowopacityanimation"),
            QStringLiteral(" not found inside of ") + GetStyleLookup(FShadowSubImage));
    FDefaultArtistBitmap = StyleBitmap(QStringLiteral("defaultartistimagebitmap"));
    FArtistImageContainer->setPixmap(FDefaultArtistBitmap);
}

void TArtistImageWrapper::SetArtist(const QString &Value)
{
    if (Value == FArtist)
        return;
    FArtist = Value;
    QPointer<TArtistImageWrapper> self(this);
    FLastImageGetterID
        = FSource.StartArtistImageGetter(Value, [self](quint32 GetterID, bool Succeeded, const QByteArray &Image) {
              // The wrapper may be gone by the time a slow answer comes.
              if (self)
                  self->ImageGetterResult(GetterID, Succeeded, Image);
          });
    FHasGetter = true;
}

void TArtistImageWrapper::FadeTo(const QPixmap &Bitmap)
{
    FArtistImageAnimation->stop();
    FArtistImageAnimation->StartBitmap = FArtistImageContainer->pixmap();
    FArtistImageAnimation->StopBitmap = Bitmap;
    FArtistImageAnimation->start();
}

void TArtistImageWrapper::RunShadow(bool Forward)
{
    FShadowOpacityAnimation->stop();
    FShadowOpacityAnimation->setDirection(Forward ? QAbstractAnimation::Forward : QAbstractAnimation::Backward);
    FShadowOpacityAnimation->start();
}

void TArtistImageWrapper::ImageGetterResult(quint32 GetterID, bool Succeeded, const QByteArray &Image)
{
    if (!FHasGetter || GetterID != FLastImageGetterID)
        return;
    QImage picture;
    if (Succeeded)
        picture = QImage::fromData(Image);
    // Bytes that are no picture count as no picture.
    if (picture.isNull()) {
        if (!FIsDefaultBitmapSet) {
            FadeTo(FDefaultArtistBitmap);
            RunShadow(true);
            FIsDefaultBitmapSet = true;
            FPicture = QImage();
            Q_EMIT PictureChanged();
        }
        return;
    }
    const qreal scale = FArtistImageContainer->devicePixelRatioF();
    const QSize size(qRound(FArtistImageContainer->width() * scale), qRound(FArtistImageContainer->height() * scale));
    QPixmap bitmap = QPixmap::fromImage(picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    bitmap.setDevicePixelRatio(scale);
    FadeTo(bitmap);
    if (FIsDefaultBitmapSet)
        RunShadow(false);
    FIsDefaultBitmapSet = false;
    FPicture = picture;
    Q_EMIT PictureChanged();
}
