#include "ui/auth/TVKEmulationAuthManagerViewUnit.h"

#include "app/application/ApplicationUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/auth/TAuthSignupPanelUnit.h"
#include "ui/auth/TPlaceholderEditWrapperUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include <utility>

TVKEmulationAuthManagerView::TVKEmulationAuthManagerView(QObject *AOwner, TAuthSignupPanel &ASurface) :
      QObject(AOwner), FSurface(ASurface),
      FLoginEdit(new TPlaceholderEditWrapper(this, ASurface.LoginEdit, QStringLiteral("APC_LoginEdit_Placeholder"))),
      FPasswordEdit(
          new TPlaceholderEditWrapper(this, ASurface.PasswordEdit, QStringLiteral("APC_PasswordEdit_Placeholder"))),
      FVerifyCodeEdit(
          new TPlaceholderEditWrapper(this, ASurface.VerifyCodeEdit, QStringLiteral("CPC_AuthCodeEdit_Placeholder")))
{
    connect(ASurface.LoginButton, &QPushButton::clicked, this, Application::Guarded([this] { SubmitLogin(); }));
    connect(ASurface.VerifyButton, &QPushButton::clicked, this, Application::Guarded([this] { SubmitCode(); }));
    connect(ASurface.RetryButton, &QPushButton::clicked, this, Application::Guarded([this] { Authorize(); }));
    // Enter sends only a filled field; in the login field it goes on to the password.
    FLoginEdit->OnEnter = [this](TPlaceholderEditWrapper *) { FPasswordEdit->SetFocus(); };
    FPasswordEdit->OnEnter = [this](TPlaceholderEditWrapper *Sender) {
        if (!Sender->Text().isEmpty())
            SubmitLogin();
    };
    FVerifyCodeEdit->OnEnter = [this](TPlaceholderEditWrapper *Sender) {
        if (!Sender->Text().isEmpty())
            SubmitCode();
    };
}

TVKEmulationAuthManagerView::~TVKEmulationAuthManagerView()
{
    if (!FAuthManager)
        return;
    FAuthManager->OnAuthSuccessList().Remove(FAuthSuccessHandler);
    for (TNotifyEvent *event :
        {&FAuthManager->OnUnexpectedError, &FAuthManager->OnAuthDataRequired, &FAuthManager->OnInvalidAuthData,
            &FAuthManager->OnVerificationCodeRequired, &FAuthManager->OnInvalidVerificationCode})
        *event = nullptr;
}

void TVKEmulationAuthManagerView::SetAuthManager(TVKEmulationAuthManager &AAuthManager)
{
    FAuthManager = &AAuthManager;
    FAuthSuccessHandler = AAuthManager.OnAuthSuccessList().Add([this](TObject *) { AuthSuccess(); });
    AAuthManager.OnUnexpectedError = [this](TObject *) { UnexpectedError(); };
    AAuthManager.OnAuthDataRequired = [this](TObject *) { AuthDataRequired(); };
    AAuthManager.OnInvalidAuthData = [this](TObject *) { InvalidAuthData(); };
    AAuthManager.OnVerificationCodeRequired = [this](TObject *) { VerificationCodeRequired(); };
    AAuthManager.OnInvalidVerificationCode = [this](TObject *) { InvalidVerificationCode(); };
}

void TVKEmulationAuthManagerView::Authorize()
{
    FStep = stCheck;
    FSurface.LoginErrorLayout->hide();
    if (FSurface.isVisible())
        StartIndicator(FSurface.LoginAniIndicator);
    FAuthManager->Authorize();
}

void TVKEmulationAuthManagerView::SubmitLogin()
{
    FStep = stLogin;
    FSurface.LoginNoteText->hide();
    FAuthManager->Login(FLoginEdit->Text(), FPasswordEdit->Text());
    StartIndicator(FSurface.LoginAniIndicator);
}

void TVKEmulationAuthManagerView::SubmitCode()
{
    FStep = stVerify;
    FAuthManager->VerifyCode(FVerifyCodeEdit->Text());
    StartIndicator(FSurface.VerifyAniIndicator);
}

void TVKEmulationAuthManagerView::StartIndicator(THorizontalLoadingAnimation *Indicator)
{
    Indicator->show();
    Indicator->Start();
}

void TVKEmulationAuthManagerView::StopIndicators()
{
    for (THorizontalLoadingAnimation *indicator : {FSurface.LoginAniIndicator, FSurface.VerifyAniIndicator}) {
        indicator->Stop();
        indicator->hide();
    }
}

void TVKEmulationAuthManagerView::ShowError(QWidget *Strip, const QString &Key, bool Retry)
{
    const bool login = Strip == FSurface.LoginErrorLayout;
    (login ? FLoginErrorKey : FVerifyErrorKey) = Key;
    (login ? FSurface.LoginErrorText : FSurface.VerifyErrorText)->setText(LocalizationManager->getValue(Key));
    if (login)
        FSurface.RetryButton->setVisible(Retry);
    Strip->show();
}

void TVKEmulationAuthManagerView::AuthSuccess()
{
    FStep = stNone;
    StopIndicators();
    FSurface.LoginErrorLayout->hide();
    FSurface.LoginNoteText->hide();
    if (OnHideRequest)
        OnHideRequest();
}

void TVKEmulationAuthManagerView::UnexpectedError()
{
    StopIndicators();
    // Nobody is signed in and the stored session could not be checked: the
    // form with the reason and a way to check again, not an empty player.
    if (std::exchange(FStep, stNone) == stCheck && FAuthManager->UserID() == 0) {
        FSurface.AuthTabControl->setCurrentIndex(LoginTabIndex);
        ShowError(FSurface.LoginErrorLayout, QStringLiteral("APC_SessionCheckFailed_Text"), true);
        if (OnShowRequest)
            OnShowRequest();
        return;
    }
    ShowError(FSurface.AuthTabControl->currentIndex() == LoginTabIndex ? FSurface.LoginErrorLayout
                                                                       : FSurface.VerifyErrorLayout,
        QStringLiteral("EM_UnknownError"));
}

void TVKEmulationAuthManagerView::AuthDataRequired()
{
    FStep = stNone;
    StopIndicators();
    FSurface.LoginErrorLayout->hide();
    FSurface.LoginErrorText->clear();
    FSurface.AuthTabControl->setCurrentIndex(LoginTabIndex);
    if (OnShowRequest)
        OnShowRequest();
    FLoginEdit->SetFocus();
}

void TVKEmulationAuthManagerView::InvalidAuthData()
{
    StopIndicators();
    ShowError(FSurface.LoginErrorLayout, QStringLiteral("EM_IncorrectPassword"));
}

void TVKEmulationAuthManagerView::VerificationCodeRequired()
{
    StopIndicators();
    FSurface.VerifyErrorLayout->hide();
    FSurface.VerifyErrorText->clear();
    FVerifyCodeEdit->SetText(QString());
    FSurface.AuthTabControl->setCurrentIndex(VerifyTabIndex);
    FVerifyCodeEdit->SetFocus();
}

void TVKEmulationAuthManagerView::InvalidVerificationCode()
{
    StopIndicators();
    ShowError(FSurface.VerifyErrorLayout, QStringLiteral("EM_IncorrectAuthCode"));
}

void TVKEmulationAuthManagerView::Clear()
{
    FStep = stNone;
    StopIndicators();
    FPasswordEdit->SetText(QString());
    FVerifyCodeEdit->SetText(QString());
    FSurface.LoginErrorLayout->hide();
    FSurface.VerifyErrorLayout->hide();
    FSurface.LoginNoteText->hide();
    FSurface.AuthTabControl->setCurrentIndex(LoginTabIndex);
}

void TVKEmulationAuthManagerView::ShowSignedUp(const QString &Phone)
{
    Clear();
    FLoginEdit->SetText(Phone);
    FSurface.LoginNoteText->setText(LocalizationManager->getValue(QStringLiteral("APC_SignedUp_Note")));
    FSurface.LoginNoteText->show();
    if (OnShowRequest)
        OnShowRequest();
    FPasswordEdit->SetFocus();
}

void TVKEmulationAuthManagerView::LanguageChanged()
{
    for (TPlaceholderEditWrapper *edit : {FLoginEdit, FPasswordEdit, FVerifyCodeEdit})
        edit->ReloadPlaceholder();
    if (!FLoginErrorKey.isEmpty())
        FSurface.LoginErrorText->setText(LocalizationManager->getValue(FLoginErrorKey));
    if (!FVerifyErrorKey.isEmpty())
        FSurface.VerifyErrorText->setText(LocalizationManager->getValue(FVerifyErrorKey));
    if (!FSurface.LoginNoteText->isHidden())
        FSurface.LoginNoteText->setText(LocalizationManager->getValue(QStringLiteral("APC_SignedUp_Note")));
}
