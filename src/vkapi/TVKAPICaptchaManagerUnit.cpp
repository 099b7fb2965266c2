#include "vkapi/TVKAPICaptchaManagerUnit.h"

#include "requests/THTTPFileDownloaderUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"

TVKAPICaptchaManager::TVKAPICaptchaManager(TVKAPIManager &AAPIManager) :
      FAPIManager(AAPIManager), FSelf(std::make_shared<TVKAPICaptchaManager *>(this))
{
}

TVKAPICaptchaManager::~TVKAPICaptchaManager()
{
    *FSelf = nullptr;
}

void TVKAPICaptchaManager::RequestCaptchaKey(const QString &ACaptchaSID, const QString &ACaptchaURL)
{
    auto downloader = std::make_unique<THTTPFileDownloader>(ACaptchaURL);
    FLastCaptchaImageDownloaderID = downloader->ID();
    FCaptchaSID = ACaptchaSID;
    // From here on the threaded-objects manager owns the downloader.
    downloader.release()->Start([self = FSelf](TObject *Sender) {
        if (*self)
            (*self)->DoCaptchaImageLoaded(Sender);
    });
}

void TVKAPICaptchaManager::Reset()
{
    FLastCaptchaImageDownloaderID = 0;
    FCaptchaSID.clear();
}

void TVKAPICaptchaManager::DoCaptchaImageLoaded(TObject *Sender)
{
    const auto *downloader = static_cast<THTTPFileDownloader *>(Sender);
    if (downloader->ID() != FLastCaptchaImageDownloaderID)
        return;
    const TFileDownloadResult &result = downloader->Result();
    if (result.ResultCode != fdOK || !result.ContentStream) {
        Reset();
        // Nobody can answer a captcha that cannot be shown.
        FAPIManager.RequestManager().InputCaptchaFailure(
            QStringLiteral("The captcha picture could not be loaded: ") + result.ErrorMessage);
        return;
    }
    FCaptchaImageStream = *result.ContentStream;
    if (OnCaptchaKeyRequest)
        OnCaptchaKeyRequest(this);
}
