#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class TVKAPIManager;

// Loads the picture of the captcha the API asks for and raises
// OnCaptchaKeyRequest when it is ready; the answer goes to the request
// manager's InputCaptchaKey with CaptchaSID. A picture that cannot be loaded
// ends the requests waiting for it (InputCaptchaFailure). Only the newest
// picture counts. Lives on the interface thread.
class TVKAPICaptchaManager : public TObject
{
public:
    explicit TVKAPICaptchaManager(TVKAPIManager &AAPIManager);
    ~TVKAPICaptchaManager() override;
    TVKAPICaptchaManager(const TVKAPICaptchaManager &) = delete;
    TVKAPICaptchaManager &operator=(const TVKAPICaptchaManager &) = delete;

    void RequestCaptchaKey(const QString &ACaptchaSID, const QString &ACaptchaURL);
    void Reset();

    const QString &CaptchaSID() const { return FCaptchaSID; }
    const QByteArray &CaptchaImageStream() const { return FCaptchaImageStream; }

    TNotifyEvent OnCaptchaKeyRequest;

private:
    void DoCaptchaImageLoaded(TObject *Sender);

    TVKAPIManager &FAPIManager;
    std::uint32_t FLastCaptchaImageDownloaderID = 0;
    QString FCaptchaSID;
    QByteArray FCaptchaImageStream;
    // Lets a picture arriving after the manager is gone find no manager.
    std::shared_ptr<TVKAPICaptchaManager *> FSelf;
};
