#pragma once

#include "foundation/TThreadedObjectUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QString>

#include <cstdint>

// Result codes of the sign-in tasks.
enum TVKEmulationAuthResult : std::uint8_t {
    arSignedIn = 0,
    arNotSignedIn = 1,
    arUnexpectedError = 2,
    arInvalidAuthData = 3,
    arVerificationRequired = 4,
    arCaptchaRequired = 5,
    arInvalidVerificationCode = 6,
};

// The sign-in check: asks "/feed" which user the session's cookies belong to.
// It works on the jar of the session it was made with, so a logout meanwhile
// cannot lend it the new session. Every failure becomes arUnexpectedError.
class TVKEmulationAuthTask : public TThreadedObject
{
public:
    TVKEmulationAuthTask(TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts);

    std::uint8_t ResultCode() const { return FResultCode; }
    int UserID() const { return FUserID; }

protected:
    void Execute() final;
    void ExecuteFailed(const QString &Message) final;
    // The task's steps; throws on any failure.
    virtual void Run();
    // Sets UserID and the result from "/feed".
    void CheckSignIn();
    QString Get(const QString &URL);
    QString Post(const QString &URL, const QString &Body);
    void SetResultCode(std::uint8_t AResultCode) { FResultCode = AResultCode; }

private:
    TVKEmulationSession FSession;
    TVKTransportTimeouts FTimeouts;
    std::uint8_t FResultCode = arUnexpectedError;
    int FUserID = 0;
};

// Posts the site's login form, with a captcha answer when one was asked.
class TVKEmulationLoginTask : public TVKEmulationAuthTask
{
public:
    TVKEmulationLoginTask(TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts, QString ALogin,
        QString APassword, QString ACaptchaSid, QString ACaptchaKey);

    // The two-step check's token after arVerificationRequired.
    const QString &Hash() const { return FHash; }
    // The captcha's identifier after arCaptchaRequired.
    const QString &CaptchaSid() const { return FCaptchaSid; }

protected:
    void Run() override;

private:
    QString FLogin;
    QString FPassword;
    QString FCaptchaSid;
    QString FCaptchaKey;
    QString FHash;
};

// Sends the two-step code the user typed.
class TVKEmulationVerificationTask : public TVKEmulationAuthTask
{
public:
    TVKEmulationVerificationTask(
        TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts, QString AVerificationCode, QString AHash);

protected:
    void Run() override;

private:
    QString FVerificationCode;
    QString FHash;
};
