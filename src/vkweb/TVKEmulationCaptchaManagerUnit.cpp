#include "vkweb/TVKEmulationCaptchaManagerUnit.h"

#include "vkweb/TVKEmulationCaptchaLoaderTaskUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

TVKEmulationCaptchaManager::TVKEmulationCaptchaManager(TVKEmulationManager &AEmulationManager) :
      FEmulationManager(AEmulationManager), FSelf(std::make_shared<TVKEmulationCaptchaManager *>(this))
{
}

TVKEmulationCaptchaManager::~TVKEmulationCaptchaManager()
{
    *FSelf = nullptr;
}

void TVKEmulationCaptchaManager::RequestCaptchaKey(const QString &ACaptchaSID)
{
    FCaptchaSID = ACaptchaSID;
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
}

void TVKEmulationCaptchaManager::DoCaptchaImageLoaded(TObject *Sender)
{
    const auto *task = static_cast<TVKEmulationCaptchaLoaderTask *>(Sender);
    if (task->ID() != FLastCaptchaImageLoaderTaskID || task->ResultCode() != 0)
        return;
    FCaptchaImageStream = task->ImageStream();
    if (OnCaptchaKeyRequest)
        OnCaptchaKeyRequest(this);
}
