#include "vkapi/TVKAPISignupDataUnit.h"

#include "vkapi/TVKAPIAuthConfirmResponseParserUnit.h"
#include "vkapi/TVKAPIAuthManagerUnit.h"
#include "vkapi/TVKAPIAuthSignupResponseParserUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkapi/TVKAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestInvokerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"

namespace {

constexpr qsizetype CMinPasswordLength = 6;

// Stores Value in Field and fires Changed only when it differs.
void SetNotifying(QString &Field, const QString &Value, const TNotifyEvent &Changed, TObject *Sender)
{
    if (Field == Value)
        return;
    Field = Value;
    if (Changed)
        Changed(Sender);
}

void Fire(const TNotifyEvent &Event, TObject *Sender)
{
    if (Event)
        Event(Sender);
}

// The parser's code of a failed answer, or vkOK for a failed exchange.
std::uint8_t ParserCode(const TAPIRequestInvoker &Invoker)
{
    return Invoker.Result().ResultCode == irParserFailed && Invoker.APIResult() ? Invoker.APIResult()->ResultCode
                                                                                : std::uint8_t(vkOK);
}

std::unique_ptr<TAPIRequest> SignupRequest(const TVKAPISignupFormData &Form, bool Voice, const QString &SID)
{
    return TVKAPIRequestFactory::ConstructAuthSignupRequest(
        Form.FirstName, Form.LastName, CVKSignupClientID, Form.Phone(), Form.Password(), Voice, Form.Sex, SID);
}

} // namespace

void TVKAPISignupFormData::SetPhone(const QString &Value)
{
    SetNotifying(FPhone, Value, OnPhoneChanged, this);
}

void TVKAPISignupFormData::SetPassword(const QString &Value)
{
    SetNotifying(FPassword, Value, OnPasswordChanged, this);
}

void TVKAPISignupFormData::SetPasswordConfirmation(const QString &Value)
{
    SetNotifying(FPasswordConfirmation, Value, OnPasswordConfirmationChanged, this);
}

void TVKAPIConfirmFormData::SetAuthCode(const QString &Value)
{
    SetNotifying(FAuthCode, Value, OnAuthCodeChanged, this);
}

TVKAPIPhoneCheckData::TVKAPIPhoneCheckData(TVKAPISignupData &ASignupData) :
      FSignupData(ASignupData), FCheckPhoneOperationID(NewVKOperationID())
{
}

void TVKAPIPhoneCheckData::CheckPhone(const QString &APhone)
{
    if (APhone.isEmpty() || APhone == FPhone)
        return;
    FPhone = APhone;
    FSignupData.RequestManager().Add(FCheckPhoneOperationID,
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIRequestInvoker>(),
            TVKAPIRequestFactory::ConstructAuthCheckPhoneRequest(APhone, CVKSignupClientID), nullptr,
            [this](TObject *Sender) { PhoneChecked(Sender); }));
}

void TVKAPIPhoneCheckData::PhoneChecked(TObject *Sender)
{
    const auto &invoker = *static_cast<TAPIRequestInvoker *>(Sender);
    std::uint8_t state = mdsServiceError;
    switch (invoker.Result().ResultCode) {
    case irOK:
        state = mdsPhoneValid;
        break;
    case irHTTPFailed:
        state = mdsRequestFailed;
        break;
    case irParserFailed:
        switch (ParserCode(invoker)) {
        case vkPhoneUsed:
            state = mdsPhoneUsed;
            break;
        case vkPhoneInvalid:
            state = mdsPhoneIncorrect;
            break;
        }
        break;
    }
    // A failure judged nothing: the same number may be checked again.
    if (state == mdsRequestFailed || state == mdsServiceError)
        FPhone.clear();
    SetState(state);
}

void TVKAPIPhoneCheckData::CheckDropped()
{
    FPhone.clear();
}

TVKAPIRepeatCodeData::TVKAPIRepeatCodeData(TVKAPISignupData &ASignupData) :
      FSignupData(ASignupData), FRepeatCodeOperationID(NewVKOperationID())
{
}

void TVKAPIRepeatCodeData::RepeatCode()
{
    if (FSignupData.Stage() != ssConfirm)
        return;
    FSignupData.RequestManager().Add(FRepeatCodeOperationID,
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIAuthSignupRequestInvoker>(),
            SignupRequest(FSignupData.SignupFormData(), FSignupData.ConfirmFormData().Voice, FSignupData.SID()),
            nullptr, [this](TObject *Sender) { CodeRepeated(Sender); }));
    SetState(mdsLoading);
}

void TVKAPIRepeatCodeData::CodeRepeated(TObject *Sender)
{
    // The session the answer names is not taken: the first one stays valid.
    SetState(static_cast<TAPIRequestInvoker *>(Sender)->Result().ResultCode == irOK ? mdsLoaded : mdsServiceError);
}

TVKAPISignupData::TVKAPISignupData(TVKAPIAuthManager &AAuthManager) :
      FAuthManager(AAuthManager), FSignupOperationID(NewVKOperationID()), FConfirmOperationID(NewVKOperationID()),
      FSignupFormData(std::make_unique<TVKAPISignupFormData>()),
      FConfirmFormData(std::make_unique<TVKAPIConfirmFormData>())
{
    FSignupFormData->OnPhoneChanged = [this](TObject *) { FPhoneCheckData->CheckPhone(FSignupFormData->Phone()); };
    FSignupFormData->OnPasswordChanged = [this](TObject *) { PasswordChanged(); };
    FSignupFormData->OnPasswordConfirmationChanged = [this](TObject *) { PasswordConfirmationChanged(); };
    FConfirmFormData->OnAuthCodeChanged = [this](TObject *) { AuthCodeChanged(); };
    FPhoneCheckData = std::make_unique<TVKAPIPhoneCheckData>(*this);
    FRepeatCodeData = std::make_unique<TVKAPIRepeatCodeData>(*this);
    SetStage(ssSignup);
    SetState(mdsReady);
}

TVKAPISignupData::~TVKAPISignupData() = default;

TVKAPIRequestManager &TVKAPISignupData::RequestManager() const
{
    return FAuthManager.APIManager().RequestManager();
}

void TVKAPISignupData::SetStage(TSignupStage Value)
{
    if (Value == FStage)
        return;
    FStage = Value;
    if (FStage == ssSignup)
        FSID.clear();
    Fire(OnStageChanged, this);
}

void TVKAPISignupData::SetJudgement(
    std::uint8_t &Field, std::uint8_t Value, const TNotifyEvent &Changed, TObject *Sender)
{
    if (Field == Value)
        return;
    Field = Value;
    Fire(Changed, Sender);
}

void TVKAPISignupData::PasswordChanged()
{
    const qsizetype length = FSignupFormData->Password().length();
    SetJudgement(FPasswordState,
        length == 0                       ? psEmpty
            : length < CMinPasswordLength ? psTooShort
                                          : psAcceptable,
        OnPasswordStateChanged, this);
    if (!FSignupFormData->PasswordConfirmation().isEmpty())
        PasswordConfirmationChanged();
}

void TVKAPISignupData::PasswordConfirmationChanged()
{
    SetJudgement(FPasswordConfirmationState,
        FSignupFormData->PasswordConfirmation() == FSignupFormData->Password() ? pcsEqual : pcsDifferent,
        OnPasswordConfirmationStateChanged, this);
}

void TVKAPISignupData::AuthCodeChanged()
{
    SetJudgement(
        FAuthCodeState, FConfirmFormData->AuthCode().isEmpty() ? acsEmpty : acsFilled, OnAuthCodeStateChanged, this);
}

void TVKAPISignupData::Signup()
{
    if (FStage != ssSignup)
        return;
    TVKAPIPhoneCheckData &phoneCheck = *FPhoneCheckData;
    if (phoneCheck.State() == mdsInitial)
        phoneCheck.SetState(mdsCleared);
    if (FPasswordState == psNotJudged)
        SetJudgement(FPasswordState, psEmpty, OnPasswordStateChanged, this);

    // A check still running, or one that could not be made, does not hold
    // the sign-up back; an empty number does, whatever was checked before.
    const std::uint8_t phoneState = phoneCheck.State();
    const bool phoneRefused = FSignupFormData->Phone().isEmpty() || phoneState == mdsCleared
        || phoneState == mdsPhoneUsed || phoneState == mdsPhoneIncorrect;
    const bool passwordRefused = FPasswordState != psAcceptable;
    const bool confirmationRefused = FPasswordConfirmationState != pcsEqual;
    if (phoneRefused || passwordRefused || confirmationRefused) {
        if (phoneRefused)
            Fire(OnPhoneWarning, this);
        if (passwordRefused)
            Fire(OnPasswordWarning, this);
        if (confirmationRefused)
            Fire(OnPasswordConfirmationWarning, this);
        return;
    }
    RequestManager().Add(FSignupOperationID,
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIAuthSignupRequestInvoker>(),
            SignupRequest(*FSignupFormData, false, {}), nullptr, [this](TObject *Sender) { SignedUp(Sender); }));
    SetState(mdsLoading);
}

void TVKAPISignupData::SignedUp(TObject *Sender)
{
    const auto *invoker = static_cast<TVKAPIAuthSignupRequestInvoker *>(Sender);
    if (invoker->Result().ResultCode != irOK || !invoker->GetAPIResult()) {
        SetState(mdsServiceError);
        return;
    }
    SetState(mdsLoaded);
    FSID = invoker->GetAPIResult()->SID;
    SetStage(ssConfirm);
    SetState(mdsReady);
}

void TVKAPISignupData::Confirm()
{
    if (FStage != ssConfirm)
        return;
    if (FAuthCodeState == acsNotJudged)
        SetJudgement(FAuthCodeState, acsEmpty, OnAuthCodeStateChanged, this);
    if (FAuthCodeState != acsFilled) {
        Fire(OnAuthCodeWarning, this);
        return;
    }
    RequestManager().Add(FConfirmOperationID,
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIAuthConfirmRequestInvoker>(),
            TVKAPIRequestFactory::ConstructAuthConfirmRequest(
                CVKSignupClientID, FSignupFormData->Phone(), FConfirmFormData->AuthCode(), FSignupFormData->Password()),
            nullptr, [this](TObject *Sender) { Confirmed(Sender); }));
    SetState(mdsLoading);
}

void TVKAPISignupData::Confirmed(TObject *Sender)
{
    const auto *invoker = static_cast<TVKAPIAuthConfirmRequestInvoker *>(Sender);
    if (invoker->Result().ResultCode == irOK && invoker->GetAPIResult() && invoker->GetAPIResult()->Success) {
        SetState(mdsLoaded);
        SetStage(ssSignup);
        SetState(mdsReady);
        Fire(OnAccountCreated, this);
        return;
    }
    switch (ParserCode(*invoker)) {
    case vkWrongCode:
        SetState(mdsIncorrectAuthCode);
        break;
    case vkSignupExpired:
        SetStage(ssSignup);
        SetState(mdsIncorrectPassword);
        break;
    default:
        SetState(mdsServiceError);
    }
}

void TVKAPISignupData::RepeatCode()
{
    FRepeatCodeData->RepeatCode();
}

void TVKAPISignupData::NewSignup()
{
    if (FStage != ssConfirm)
        return;
    SetState(mdsLoaded);
    SetStage(ssSignup);
    SetState(mdsReady);
}

void TVKAPISignupData::RequestsDropped()
{
    FPhoneCheckData->CheckDropped();
    if (State() == mdsLoading)
        SetState(mdsReady);
    if (FRepeatCodeData->State() == mdsLoading)
        FRepeatCodeData->SetState(mdsCleared);
}
