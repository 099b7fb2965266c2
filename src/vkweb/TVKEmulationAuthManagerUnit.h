#pragma once

#include "foundation/BaseTypesUnit.h"
#include "foundation/TEventListUnit.h"

#include <QString>

#include <cstdint>
#include <memory>

class TVKEmulationAuthTask;
class TVKEmulationManager;

// Signs the user in to the site: starts the sign-in tasks and turns their
// results into events, raised on the interface thread with this manager as
// sender. The cookies are stored after every result. Results of tasks begun
// before the last Reset (a logout) are dropped: they belong to a session that
// has ended.
class TVKEmulationAuthManager : public TObject
{
public:
    explicit TVKEmulationAuthManager(TVKEmulationManager &AEmulationManager);
    ~TVKEmulationAuthManager() override;
    TVKEmulationAuthManager(const TVKEmulationAuthManager &) = delete;
    TVKEmulationAuthManager &operator=(const TVKEmulationAuthManager &) = delete;

    // Checks whether the stored cookies still sign the user in.
    void Authorize();
    void Login(const QString &ALogin, const QString &APassword);
    // Repeats the last Login with the captcha's answer.
    void ReloginWithCaptcha(const QString &CaptchaSid, const QString &CaptchaKey);
    void VerifyCode(const QString &ACode);
    void Reset();

    // The signed-in user's identifier, 0 when nobody is signed in.
    int UserID() const;
    TNotifyEventList &OnAuthSuccessList() { return FOnAuthSuccessList; }

    TNotifyEvent OnUnexpectedError;
    TNotifyEvent OnAuthDataRequired;
    TNotifyEvent OnInvalidAuthData;
    TNotifyEvent OnVerificationCodeRequired;
    TNotifyEvent OnInvalidVerificationCode;

private:
    void StartTask(std::unique_ptr<TVKEmulationAuthTask> Task);
    void DoAuthTaskResult(TObject *Sender, std::uint32_t Round);
    void Raise(const TNotifyEvent &Event);

    TVKEmulationManager &FEmulationManager;
    QString FHash;
    QString FLastLogin;
    QString FLastPassword;
    TNotifyEventList FOnAuthSuccessList;
    // Counts Reset calls; a task remembers the count it was started under.
    std::uint32_t FRound = 0;
    // Lets a result arriving after the manager is gone find no manager.
    std::shared_ptr<TVKEmulationAuthManager *> FSelf;
};
