#pragma once

#include "ui/wrappers/TArtistImageWrapperUnit.h"

// Artist pictures from Last.fm: each request is a picture getter run in the
// background, answered on the interface thread.
class TLastFMArtistImageSource : public IArtistImageSource
{
public:
    quint32 StartArtistImageGetter(const QString &Artist, TResultEvent OnResult) override;
};
