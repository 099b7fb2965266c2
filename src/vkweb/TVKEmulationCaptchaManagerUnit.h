#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class TVKEmulationManager;

// Loads the captcha the site asks for and raises OnCaptchaKeyRequest when its
// image is ready; only the newest image counts. When the newest image cannot
// be loaded, the requester hears it through AOnFailed: nobody could answer
// the captcha, and whatever waits for the answer would wait for ever. Lives
// on the interface thread.
class TVKEmulationCaptchaManager : public TObject
{
public:
    explicit TVKEmulationCaptchaManager(TVKEmulationManager &AEmulationManager);
    ~TVKEmulationCaptchaManager() override;
    TVKEmulationCaptchaManager(const TVKEmulationCaptchaManager &) = delete;
    TVKEmulationCaptchaManager &operator=(const TVKEmulationCaptchaManager &) = delete;

    void RequestCaptchaKey(const QString &ACaptchaSID, TNotifyEvent AOnFailed = nullptr);
    void Reset();

    const QString &CaptchaSID() const { return FCaptchaSID; }
    const QByteArray &CaptchaImageStream() const { return FCaptchaImageStream; }

    TNotifyEvent OnCaptchaKeyRequest;

private:
    void DoCaptchaImageLoaded(TObject *Sender);

    TVKEmulationManager &FEmulationManager;
    std::uint32_t FLastCaptchaImageLoaderTaskID = 0;
    TNotifyEvent FOnFailed;
    QString FCaptchaSID;
    QByteArray FCaptchaImageStream;
    // Lets an image arriving after the manager is gone find no manager.
    std::shared_ptr<TVKEmulationCaptchaManager *> FSelf;
};
