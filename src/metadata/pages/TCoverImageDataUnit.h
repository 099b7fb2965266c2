#pragma once

#include "metadata/pages/TLastFMMetaDataStatesUnit.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

struct TLastFMImagesRecord;

// One picture of a Last.fm answer: the "large" one, downloaded into memory
// anew on every call (there is no cache).
//
// Each change of subject (new images, Clear, Hide) aborts the download in
// flight, and a download is taken only while it is the current one: the
// URL alone would let a late picture of an earlier subject through when the
// same picture is asked for again or the slot has been emptied meanwhile.
class TCoverImageData : public TMetaDataBlock
{
public:
    TCoverImageData();
    ~TCoverImageData() override;

    // The encoded picture after a successful load (decoding is the view's).
    const QByteArray &CoverImageStream() const { return FCoverImageStream; }
    const QString &CoverImageURL() const { return FCoverImageURL; }

    // Loads the first picture of size "large" with a URL; mdsNoImage when there is none.
    void SetLastFMImagesData(const TLastFMImagesRecord &Images);
    // The slot is not in use: mdsHidden.
    void Hide();
    // No subject, as when the page's request failed: mdsCleared.
    void Clear();

private:
    void Forget(std::uint8_t NewState);
    void DownloadResult(TObject *Sender);

    QString FCoverImageURL;
    QByteArray FCoverImageStream;
    // The current download's ID until its result arrives, 0 for none: the
    // downloader itself may be freed at any time at shut-down.
    std::uint32_t FDownloaderID = 0;
    std::shared_ptr<TCoverImageData *> FSelf;
};
