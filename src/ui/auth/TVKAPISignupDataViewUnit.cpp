#include "ui/auth/TVKAPISignupDataViewUnit.h"

#include "app/application/ApplicationUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/auth/TAuthSignupPanelUnit.h"
#include "ui/auth/TFieldStatusIndicatorWrapperUnit.h"
#include "ui/auth/TPlaceholderEditWrapperUnit.h"
#include "vkapi/TVKAPISignupDataUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

namespace {

constexpr int SignupPageIndex = 0;
constexpr int ConfirmPageIndex = 1;

QString Text(const QString &Key)
{
    return LocalizationManager->getValue(Key);
}

void SetBusy(THorizontalLoadingAnimation *Indicator, bool Busy)
{
    Indicator->setVisible(Busy);
    if (Busy)
        Indicator->Start();
    else
        Indicator->Stop();
}

} // namespace

TVKAPISignupDataView::TVKAPISignupDataView(QObject *AOwner, TAuthSignupPanel &ASurface) :
      QObject(AOwner), FSurface(ASurface)
{
    const auto wrap = [this](QLineEdit *Edit, const char *Key) {
        return new TPlaceholderEditWrapper(this, Edit, QString::fromLatin1(Key));
    };
    FFirstNameEdit = wrap(ASurface.FirstNameEdit, "SPC_FirstNameEdit_Placeholder");
    FLastNameEdit = wrap(ASurface.LastNameEdit, "SPC_LastNameEdit_Placeholder");
    FPhoneEdit = wrap(ASurface.PhoneEdit, "SPC_PhoneEdit_Placeholder");
    FPasswordEdit = wrap(ASurface.SignupPasswordEdit, "SPC_PasswordEdit_Placeholder");
    FPasswordConfirmationEdit = wrap(ASurface.PasswordConfirmationEdit, "SPC_PasswordConfirmation_Placeholder");
    FAuthCodeEdit = wrap(ASurface.AuthCodeEdit, "CPC_AuthCodeEdit_Placeholder");
    FPhoneFieldStatusIndicator
        = new TFieldStatusIndicatorWrapper(this, ASurface.PhoneStatusPanel, ASurface.PhoneStatusText);
    FPasswordFieldStatusIndicator
        = new TFieldStatusIndicatorWrapper(this, ASurface.PasswordStatusPanel, ASurface.PasswordStatusText);
    FPConfirmationFieldStatusIndicator = new TFieldStatusIndicatorWrapper(
        this, ASurface.PasswordConfirmationStatusPanel, ASurface.PasswordConfirmationStatusText);
}

TVKAPISignupDataView::~TVKAPISignupDataView()
{
    if (!FData)
        return;
    for (TNotifyEvent *event : {&FData->OnStateChanged, &FData->OnStageChanged, &FData->OnPasswordStateChanged,
             &FData->OnPasswordConfirmationStateChanged, &FData->OnPhoneWarning, &FData->OnPasswordWarning,
             &FData->OnPasswordConfirmationWarning, &FData->OnAuthCodeWarning, &FData->OnAccountCreated,
             &FData->PhoneCheckData().OnStateChanged, &FData->RepeatCodeData().OnStateChanged})
        *event = nullptr;
}

void TVKAPISignupDataView::SetData(TVKAPISignupData &AData)
{
    FData = &AData;
    TVKAPISignupFormData &form = AData.SignupFormData();
    TVKAPIConfirmFormData &confirm = AData.ConfirmFormData();
    FFirstNameEdit->OnChange = [&form](TPlaceholderEditWrapper *Sender) { form.FirstName = Sender->Text(); };
    FLastNameEdit->OnChange = [&form](TPlaceholderEditWrapper *Sender) { form.LastName = Sender->Text(); };
    FPhoneEdit->OnChange = [&form](TPlaceholderEditWrapper *Sender) { form.SetPhone(Sender->Text()); };
    FPasswordEdit->OnChange = [&form](TPlaceholderEditWrapper *Sender) { form.SetPassword(Sender->Text()); };
    FPasswordConfirmationEdit->OnChange
        = [&form](TPlaceholderEditWrapper *Sender) { form.SetPasswordConfirmation(Sender->Text()); };
    FAuthCodeEdit->OnChange = [&confirm](TPlaceholderEditWrapper *Sender) { confirm.SetAuthCode(Sender->Text()); };
    connect(FSurface.SexMaleRadioButton, &QRadioButton::toggled, this, [&form](bool Checked) {
        if (Checked)
            form.Sex = 2;
    });
    connect(FSurface.SexFemaleRadioButton, &QRadioButton::toggled, this, [&form](bool Checked) {
        if (Checked)
            form.Sex = 1;
    });
    connect(FSurface.RepeatTypeSMSRadioButton, &QRadioButton::toggled, this, [&confirm](bool Checked) {
        if (Checked)
            confirm.Voice = false;
    });
    connect(FSurface.RepeatTypeCallRadioButton, &QRadioButton::toggled, this, [&confirm](bool Checked) {
        if (Checked)
            confirm.Voice = true;
    });
    FSurface.SexMaleRadioButton->setChecked(true);
    FSurface.RepeatTypeSMSRadioButton->setChecked(true);

    // Enter in any field of a form sends the form.
    for (TPlaceholderEditWrapper *edit :
        {FFirstNameEdit, FLastNameEdit, FPhoneEdit, FPasswordEdit, FPasswordConfirmationEdit})
        edit->OnEnter = [this](TPlaceholderEditWrapper *) { FData->Signup(); };
    FAuthCodeEdit->OnEnter = [this](TPlaceholderEditWrapper *) { FData->Confirm(); };
    connect(FSurface.SignupButton, &QPushButton::clicked, this, Application::Guarded([this] { FData->Signup(); }));
    connect(FSurface.ConfirmButton, &QPushButton::clicked, this, Application::Guarded([this] { FData->Confirm(); }));
    connect(
        FSurface.RepeatCodeButton, &QPushButton::clicked, this, Application::Guarded([this] { FData->RepeatCode(); }));
    connect(FSurface.NewSignupLabel, &QPushButton::clicked, this, Application::Guarded([this] { FData->NewSignup(); }));

    AData.OnStateChanged = [this](TObject *) {
        UpdateLoading();
        UpdateView();
    };
    AData.OnStageChanged = [this](TObject *) { StageChanged(); };
    AData.PhoneCheckData().OnStateChanged = [this](TObject *) { UpdatePhoneStatus(); };
    AData.RepeatCodeData().OnStateChanged = [this](TObject *) { UpdateRepeatCode(); };
    AData.OnPasswordStateChanged = [this](TObject *) { UpdatePasswordStatus(); };
    AData.OnPasswordConfirmationStateChanged = [this](TObject *) { UpdatePasswordConfirmationStatus(); };
    AData.OnPhoneWarning = [this](TObject *) { FPhoneEdit->PerformWarningAnimation(); };
    AData.OnPasswordWarning = [this](TObject *) { FPasswordEdit->PerformWarningAnimation(); };
    AData.OnPasswordConfirmationWarning = [this](TObject *) { FPasswordConfirmationEdit->PerformWarningAnimation(); };
    AData.OnAuthCodeWarning = [this](TObject *) { FAuthCodeEdit->PerformWarningAnimation(); };
    AData.OnAccountCreated = [this](TObject *) {
        if (OnAccountCreated)
            OnAccountCreated(FData->SignupFormData().Phone());
    };
    StageChanged();
    UpdateView();
}

void TVKAPISignupDataView::StageChanged()
{
    FSurface.SignupDataViewTabControl->setCurrentIndex(FData->Stage() == ssSignup ? SignupPageIndex : ConfirmPageIndex);
}

void TVKAPISignupDataView::ShowError(bool Confirm, const QString &Key)
{
    (Confirm ? FConfirmErrorKey : FSignupErrorKey) = Key;
    (Confirm ? FSurface.ConfirmErrorText : FSurface.SignupErrorText)->setText(Text(Key));
    (Confirm ? FSurface.ConfirmErrorLayout : FSurface.SignupErrorLayout)->show();
}

void TVKAPISignupDataView::ClearPasswords()
{
    FPasswordEdit->SetText(QString());
    FPasswordConfirmationEdit->SetText(QString());
    // Not judged: an empty form shows no marks until it is sent.
    FPasswordFieldStatusIndicator->SetStatus(fsUnitinialized);
    FPConfirmationFieldStatusIndicator->SetStatus(fsUnitinialized);
}

void TVKAPISignupDataView::UpdateView()
{
    const std::uint8_t state = FData->State();
    if (FData->Stage() == ssSignup) {
        if (state == mdsReady) {
            FSurface.SignupErrorLayout->hide();
            ClearPasswords();
        } else if (state == mdsIncorrectPassword) {
            ShowError(false, QStringLiteral("EM_IncorrectPassword"));
            ClearPasswords();
        } else if (state == mdsServiceError) {
            ShowError(false, QStringLiteral("EM_CustomError"));
        }
    } else if (FData->Stage() == ssConfirm) {
        if (state == mdsReady) {
            FSurface.ConfirmErrorLayout->hide();
            FAuthCodeEdit->SetText(QString());
        } else if (state == mdsIncorrectAuthCode) {
            ShowError(true, QStringLiteral("EM_IncorrectAuthCode"));
        } else if (state == mdsServiceError) {
            ShowError(true, QStringLiteral("EM_CustomError"));
        }
    }
}

void TVKAPISignupDataView::UpdateLoading()
{
    const bool loading = FData->State() == mdsLoading;
    const bool confirm = FData->Stage() == ssConfirm;
    SetBusy(FSurface.SignupAniIndicator, loading && !confirm);
    SetBusy(FSurface.ConfirmAniIndicator, loading && confirm);
    FSurface.SignupButton->setEnabled(!loading);
    FSurface.ConfirmButton->setEnabled(!loading);
}

void TVKAPISignupDataView::UpdateRepeatCode()
{
    const std::uint8_t state = FData->RepeatCodeData().State();
    SetBusy(FSurface.RepeatCodeAniIndicator, state == mdsLoading);
    FSurface.RepeatCodeButton->setEnabled(state != mdsLoading);
    if (state == mdsServiceError || state == mdsRequestFailed)
        ShowError(true, QStringLiteral("EM_CustomError"));
    else if (state == mdsLoading)
        FSurface.ConfirmErrorLayout->hide();
}

void TVKAPISignupDataView::UpdatePhoneStatus()
{
    const std::uint8_t state = FData->PhoneCheckData().State();
    const char *key = nullptr;
    switch (state) {
    case mdsPhoneValid:
        FPhoneFieldStatusIndicator->SetStatus(fsOK);
        FPhoneFieldStatusIndicator->SetHint(Text(QStringLiteral("SPC_FieldStatusOK_Text")));
        return;
    case mdsPhoneUsed:
        key = "EM_UsedPhone";
        break;
    case mdsPhoneIncorrect:
    case mdsCleared:
        key = "EM_IncorrectPhone";
        break;
    case mdsServiceError:
    case mdsRequestFailed:
        key = "EM_UnknownError";
        break;
    default:
        return;
    }
    FPhoneFieldStatusIndicator->SetStatus(fsError);
    FPhoneFieldStatusIndicator->SetHint(Text(QString::fromLatin1(key)));
}

void TVKAPISignupDataView::UpdatePasswordStatus()
{
    switch (FData->PasswordState()) {
    case psNotJudged:
        FPasswordFieldStatusIndicator->SetStatus(fsUnitinialized);
        break;
    case psAcceptable:
        FPasswordFieldStatusIndicator->SetStatus(fsOK);
        FPasswordFieldStatusIndicator->SetHint(Text(QStringLiteral("SPC_FieldStatusOK_Text")));
        break;
    default:
        FPasswordFieldStatusIndicator->SetStatus(fsError);
        FPasswordFieldStatusIndicator->SetHint(
            Text(QStringLiteral("EM_PasswordTooShort")).replace(QStringLiteral("%d"), QString::number(6)));
    }
}

void TVKAPISignupDataView::UpdatePasswordConfirmationStatus()
{
    switch (FData->PasswordConfirmationState()) {
    case pcsNotJudged:
        FPConfirmationFieldStatusIndicator->SetStatus(fsUnitinialized);
        break;
    case pcsEqual:
        FPConfirmationFieldStatusIndicator->SetStatus(fsOK);
        FPConfirmationFieldStatusIndicator->SetHint(Text(QStringLiteral("SPC_FieldStatusOK_Text")));
        break;
    default:
        FPConfirmationFieldStatusIndicator->SetStatus(fsError);
        FPConfirmationFieldStatusIndicator->SetHint(Text(QStringLiteral("EM_InvalidPasswordConfirmation")));
    }
}

void TVKAPISignupDataView::LanguageChanged()
{
    for (TPlaceholderEditWrapper *edit :
        {FFirstNameEdit, FLastNameEdit, FPhoneEdit, FPasswordEdit, FPasswordConfirmationEdit, FAuthCodeEdit})
        edit->ReloadPlaceholder();
    if (!FData)
        return;
    UpdatePhoneStatus();
    UpdatePasswordStatus();
    UpdatePasswordConfirmationStatus();
    if (!FSignupErrorKey.isEmpty())
        FSurface.SignupErrorText->setText(Text(FSignupErrorKey));
    if (!FConfirmErrorKey.isEmpty())
        FSurface.ConfirmErrorText->setText(Text(FConfirmErrorKey));
}
