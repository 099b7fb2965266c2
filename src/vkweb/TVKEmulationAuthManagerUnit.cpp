#include "vkweb/TVKEmulationAuthManagerUnit.h"

#include "vkweb/TVKEmulationAuthTaskUnit.h"
#include "vkweb/TVKEmulationCaptchaManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

TVKEmulationAuthManager::TVKEmulationAuthManager(TVKEmulationManager &AEmulationManager) :
      FEmulationManager(AEmulationManager), FSelf(std::make_shared<TVKEmulationAuthManager *>(this))
{
}

TVKEmulationAuthManager::~TVKEmulationAuthManager()
{
    *FSelf = nullptr;
}

void TVKEmulationAuthManager::Authorize()
{
    StartTask(std::make_unique<TVKEmulationAuthTask>(FEmulationManager.Session(), FEmulationManager.Timeouts()));
}

void TVKEmulationAuthManager::Login(const QString &ALogin, const QString &APassword)
{
    FLastLogin = ALogin;
    FLastPassword = APassword;
    ReloginWithCaptcha(QString(), QString());
}

void TVKEmulationAuthManager::ReloginWithCaptcha(const QString &CaptchaSid, const QString &CaptchaKey)
{
    StartTask(std::make_unique<TVKEmulationLoginTask>(
        FEmulationManager.Session(), FEmulationManager.Timeouts(), FLastLogin, FLastPassword, CaptchaSid, CaptchaKey));
}

void TVKEmulationAuthManager::VerifyCode(const QString &ACode)
{
    StartTask(std::make_unique<TVKEmulationVerificationTask>(
        FEmulationManager.Session(), FEmulationManager.Timeouts(), ACode, FHash));
}

void TVKEmulationAuthManager::Reset()
{
    FEmulationManager.SetUserID(0);
    FHash.clear();
    FLastLogin.clear();
    FLastPassword.clear();
    ++FRound;
}

int TVKEmulationAuthManager::UserID() const
{
    return FEmulationManager.UserID();
}

void TVKEmulationAuthManager::StartTask(std::unique_ptr<TVKEmulationAuthTask> Task)
{
    // From here on the threaded-objects manager owns the task.
    Task.release()->Start([self = FSelf, round = FRound](TObject *Sender) {
        if (*self)
            (*self)->DoAuthTaskResult(Sender, round);
    });
}

void TVKEmulationAuthManager::DoAuthTaskResult(TObject *Sender, std::uint32_t Round)
{
    // A sign-in begun before a logout must not sign the new session in.
    if (Round != FRound)
        return;
    const auto *task = static_cast<TVKEmulationAuthTask *>(Sender);
    switch (task->ResultCode()) {
    case arSignedIn:
        FEmulationManager.SetUserID(task->UserID());
        FOnAuthSuccessList.InvokeEvents(this);
        break;
    case arNotSignedIn:
        Raise(OnAuthDataRequired);
        break;
    case arInvalidAuthData:
        Raise(OnInvalidAuthData);
        break;
    case arVerificationRequired:
        FHash = static_cast<const TVKEmulationLoginTask *>(task)->Hash();
        Raise(OnVerificationCodeRequired);
        break;
    case arCaptchaRequired:
        // Without its picture nobody can answer the captcha: the sign-in ends there.
        FEmulationManager.CaptchaManager().RequestCaptchaKey(
            static_cast<const TVKEmulationLoginTask *>(task)->CaptchaSid(), [self = FSelf, Round](TObject *) {
                if (*self && (*self)->FRound == Round)
                    (*self)->Raise((*self)->OnUnexpectedError);
            });
        break;
    case arInvalidVerificationCode:
        Raise(OnInvalidVerificationCode);
        break;
    default:
        Raise(OnUnexpectedError);
        break;
    }
    FEmulationManager.StoreCookies();
}

void TVKEmulationAuthManager::Raise(const TNotifyEvent &Event)
{
    if (Event)
        Event(this);
}
