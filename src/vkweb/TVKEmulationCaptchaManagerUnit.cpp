#include "vkweb/TVKEmulationCaptchaManagerUnit.h"

#include "vkweb/TVKEmulationCaptchaLoaderTaskUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <utility>

TVKEmulationCaptchaManager::TVKEmulationCaptchaManager(TVKEmulationManager &AEmulationManager) :
      FEmulationManager(AEmulationManager), FSelf(std::make_shared<TVKEmulationCaptchaManager *>(this))
{
}

TVKEmulationCaptchaManager::~TVKEmulationCaptchaManager()
{
    *FSelf = nullptr;
}

void TVKEmulationCaptchaManager::RequestCaptchaKey(const QString &ACaptchaSID, TNotifyEvent AOnFailed)
{
    FCaptchaSID = ACaptchaSID;
    FOnFailed = std::move(AOnFailed);
    auto task = std::make_unique<TVKEmulationCaptchaLoaderTask>(
        FEmulationManager.Session(), FEmulationManager.Timeouts(), ACaptchaSID);
    FLastCaptchaImageLoaderTaskID = task->ID();
    // From here on the threaded-objects manager owns the task.
    task.release()->Start([self = FSelf](TObject *Sender) {
        if (*self)
            (*self)->DoCaptchaImageLoaded(Sender);
    });
}

void TVKEmulationCaptchaManager::Reset()
{
    FLastCaptchaImageLoaderTaskID = 0;
    FCaptchaSID.clear();
    FOnFailed = nullptr;
}

void TVKEmulationCaptchaManager::DoCaptchaImageLoaded(TObject *Sender)
{
    const auto *task = static_cast<TVKEmulationCaptchaLoaderTask *>(Sender);
    if (task->ID() != FLastCaptchaImageLoaderTaskID)
        return;
    if (task->ResultCode() != 0) {
        if (const TNotifyEvent failed = std::exchange(FOnFailed, nullptr))
            failed(this);
        return;
    }
    FOnFailed = nullptr;
    FCaptchaImageStream = task->ImageStream();
    if (OnCaptchaKeyRequest)
        OnCaptchaKeyRequest(this);
}
