#pragma once

#include "metadata/blocks/TMetaDataBlockUnit.h"

#include <QString>

#include <cstdint>
#include <memory>

class TVKAPIAuthManager;
class TVKAPIRequestManager;
class TVKAPISignupData;

// The VK application the sign-up relay registers accounts for.
constexpr int CVKSignupClientID = 3566047;

enum TSignupStage { ssUninitialized, ssSignup, ssConfirm };

// States of the sign-up data beside the shared ones.
enum TVKAPISignupState : std::uint8_t {
    mdsReady = mdsFirstCustomState + 1, // the stage's form awaits input
    mdsIncorrectAuthCode, // the confirmation code was refused
    mdsIncorrectPassword, // the confirmation was refused for good: back to sign-up
};

// States of the phone check beside the shared ones (mdsCleared: not checked
// when a sign-up was tried; mdsRequestFailed, mdsServiceError).
enum TVKAPIPhoneCheckState : std::uint8_t {
    mdsPhoneValid = mdsFirstCustomState,
    mdsPhoneUsed,
    mdsPhoneIncorrect,
};

// Field judgements.
enum TPasswordState : std::uint8_t { psNotJudged, psAcceptable, psTooShort, psEmpty };
enum TPasswordConfirmationState : std::uint8_t { pcsNotJudged, pcsEqual, pcsDifferent };
enum TAuthCodeState : std::uint8_t { acsNotJudged, acsFilled, acsEmpty };

// The sign-up form. The phone and both passwords notify on a change of value.
class TVKAPISignupFormData : public TObject
{
public:
    QString FirstName;
    QString LastName;
    // 1 female, 2 male.
    std::uint8_t Sex = 2;

    const QString &Phone() const { return FPhone; }
    void SetPhone(const QString &Value);
    const QString &Password() const { return FPassword; }
    void SetPassword(const QString &Value);
    const QString &PasswordConfirmation() const { return FPasswordConfirmation; }
    void SetPasswordConfirmation(const QString &Value);

    TNotifyEvent OnPhoneChanged;
    TNotifyEvent OnPasswordChanged;
    TNotifyEvent OnPasswordConfirmationChanged;

private:
    QString FPhone;
    QString FPassword;
    QString FPasswordConfirmation;
};

class TVKAPIConfirmFormData : public TObject
{
public:
    const QString &AuthCode() const { return FAuthCode; }
    void SetAuthCode(const QString &Value);
    // True asks for the code by a call instead of an SMS.
    bool Voice = false;

    TNotifyEvent OnAuthCodeChanged;

private:
    QString FAuthCode;
};

// Checks a phone number with the relay as it is typed. The state does not
// change when a check starts.
class TVKAPIPhoneCheckData : public TMetaDataBlock
{
public:
    explicit TVKAPIPhoneCheckData(TVKAPISignupData &ASignupData);
    // Checks APhone unless it is empty or the number checked last; a check
    // that failed (mdsRequestFailed, mdsServiceError) counts as none.
    void CheckPhone(const QString &APhone);
    // The queue was emptied: the check in flight, if any, will not answer.
    void CheckDropped();

private:
    void PhoneChecked(TObject *Sender);

    TVKAPISignupData &FSignupData;
    std::uint32_t FCheckPhoneOperationID;
    QString FPhone;
};

// Asks for the confirmation code again, by SMS or by a call.
class TVKAPIRepeatCodeData : public TMetaDataBlock
{
public:
    explicit TVKAPIRepeatCodeData(TVKAPISignupData &ASignupData);
    void RepeatCode();

private:
    void CodeRepeated(TObject *Sender);

    TVKAPISignupData &FSignupData;
    std::uint32_t FRepeatCodeOperationID;
};

// Registering an account by phone, in two stages: the sign-up form
// (ssSignup), then the code sent to the phone (ssConfirm). Each action checks
// its fields first and fires the warning of each refused field instead of
// sending. Nothing of it is stored anywhere; the password lives only here and
// in the requests to the relay. Lives on the interface thread.
class TVKAPISignupData : public TMetaDataBlock
{
public:
    explicit TVKAPISignupData(TVKAPIAuthManager &AAuthManager);
    ~TVKAPISignupData() override;

    void Signup();
    void Confirm();
    void RepeatCode();
    void NewSignup();
    // The queue was emptied: requests in flight will not answer.
    void RequestsDropped();

    TSignupStage Stage() const { return FStage; }
    // The session of the last accepted sign-up; empty in the sign-up stage.
    const QString &SID() const { return FSID; }
    TVKAPISignupFormData &SignupFormData() const { return *FSignupFormData; }
    TVKAPIConfirmFormData &ConfirmFormData() const { return *FConfirmFormData; }
    TVKAPIPhoneCheckData &PhoneCheckData() const { return *FPhoneCheckData; }
    TVKAPIRepeatCodeData &RepeatCodeData() const { return *FRepeatCodeData; }
    TVKAPIRequestManager &RequestManager() const;

    std::uint8_t PasswordState() const { return FPasswordState; }
    std::uint8_t PasswordConfirmationState() const { return FPasswordConfirmationState; }
    std::uint8_t AuthCodeState() const { return FAuthCodeState; }

    TNotifyEvent OnStageChanged;
    TNotifyEvent OnPasswordStateChanged;
    TNotifyEvent OnPasswordConfirmationStateChanged;
    TNotifyEvent OnAuthCodeStateChanged;
    TNotifyEvent OnPhoneWarning;
    TNotifyEvent OnPasswordWarning;
    TNotifyEvent OnPasswordConfirmationWarning;
    TNotifyEvent OnAuthCodeWarning;
    // The account was confirmed; raised once the form is back in the
    // sign-up stage, its phone and password still in place.
    TNotifyEvent OnAccountCreated;

private:
    void SetStage(TSignupStage Value);
    static void SetJudgement(std::uint8_t &Field, std::uint8_t Value, const TNotifyEvent &Changed, TObject *Sender);
    void PasswordChanged();
    void PasswordConfirmationChanged();
    void AuthCodeChanged();
    void SignedUp(TObject *Sender);
    void Confirmed(TObject *Sender);

    TVKAPIAuthManager &FAuthManager;
    std::uint32_t FSignupOperationID;
    std::uint32_t FConfirmOperationID;
    TSignupStage FStage = ssUninitialized;
    QString FSID;
    std::unique_ptr<TVKAPISignupFormData> FSignupFormData;
    std::unique_ptr<TVKAPIConfirmFormData> FConfirmFormData;
    std::unique_ptr<TVKAPIPhoneCheckData> FPhoneCheckData;
    std::unique_ptr<TVKAPIRepeatCodeData> FRepeatCodeData;
    std::uint8_t FPasswordState = psNotJudged;
    std::uint8_t FPasswordConfirmationState = pcsNotJudged;
    std::uint8_t FAuthCodeState = acsNotJudged;
};
