#include "app/shell/TLastFMArtistImageSourceUnit.h"

#include "lastfm/TLastFMArtistImageUnit.h"

quint32 TLastFMArtistImageSource::StartArtistImageGetter(const QString &Artist, TResultEvent OnResult)
{
    auto *getter = new TLastFMArtistRandomImageGetter(Artist);
    const quint32 id = getter->ID();
    // Refused at shut-down: the getter is gone and no answer comes.
    getter->Start([OnResult = std::move(OnResult)](TObject *Sender) {
        const auto &finished = SenderAs<const TLastFMArtistRandomImageGetter>(Sender);
        const QByteArray *image = finished.ImageDataStream();
        OnResult(finished.ID(), finished.ResultCode() == 0 && image, image ? *image : QByteArray());
    });
    return id;
}
