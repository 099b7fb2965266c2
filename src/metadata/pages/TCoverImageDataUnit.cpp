#include "metadata/pages/TCoverImageDataUnit.h"

#include "foundation/TThreadedObjectsManagerUnit.h"
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "requests/THTTPFileDownloaderUnit.h"

TCoverImageData::TCoverImageData() : FSelf(std::make_shared<TCoverImageData *>(this))
{
}

TCoverImageData::~TCoverImageData()
{
    *FSelf = nullptr;
    TThreadedObjectsManager::Abort(FDownloaderID);
}

void TCoverImageData::SetLastFMImagesData(const TLastFMImagesRecord &Images)
{
    QString url;
    for (const TLastFMImageRecord &image : Images.FImages)
        if (image.Size == u"large" && !image.URL.isEmpty()) {
            url = image.URL;
            break;
        }
    if (url.isEmpty()) {
        Forget(mdsNoImage);
        return;
    }
    Forget(mdsLoading);
    FCoverImageURL = url;
    auto *downloader = new THTTPFileDownloader(url);
    FDownloaderID = downloader->ID();
    const std::weak_ptr<TCoverImageData *> self = FSelf;
    if (!downloader->Start([self](TObject *Sender) {
            if (const auto owner = self.lock(); owner && *owner)
                (*owner)->DownloadResult(Sender);
        })) {
        // Refused at shut-down: the downloader is gone already.
        FDownloaderID = 0;
        SetState(mdsRequestFailed);
    }
}

void TCoverImageData::Hide()
{
    Forget(mdsHidden);
}

void TCoverImageData::Clear()
{
    Forget(mdsCleared);
}

void TCoverImageData::Forget(std::uint8_t NewState)
{
    TThreadedObjectsManager::Abort(FDownloaderID);
    FDownloaderID = 0;
    FCoverImageURL.clear();
    SetState(NewState);
}

void TCoverImageData::DownloadResult(TObject *Sender)
{
    const auto &downloader = SenderAs<const THTTPFileDownloader>(Sender);
    if (downloader.ID() != FDownloaderID)
        return;
    FDownloaderID = 0;
    const TFileDownloadResult &result = downloader.Result();
    if (result.ResultCode != fdOK || !result.ContentStream) {
        SetState(mdsRequestFailed);
        return;
    }
    FCoverImageStream = *result.ContentStream;
    SetState(mdsLoaded);
}
