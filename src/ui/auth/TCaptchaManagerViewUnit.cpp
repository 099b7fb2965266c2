#include "ui/auth/TCaptchaManagerViewUnit.h"

#include "app/application/ApplicationUnit.h"
#include "ui/auth/TCaptchaPanelUnit.h"
#include "ui/auth/TPlaceholderEditWrapperUnit.h"
#include "vkapi/TVKAPICaptchaManagerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationCaptchaManagerUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <utility>

TCaptchaManagerView::TCaptchaManagerView(QObject *AOwner, TCaptchaPanel &APanel) :
      QObject(AOwner), FSurface(APanel), FCaptchaEdit(new TPlaceholderEditWrapper(
                                             this, APanel.CaptchaEdit, QStringLiteral("CMVC_CaptchaEdit_Placeholder")))
{
    connect(APanel.EnterButton, &QPushButton::clicked, this, Application::Guarded([this] { EnterButtonClick(); }));
    FCaptchaEdit->OnEnter = [this](TPlaceholderEditWrapper *) { EnterButtonClick(); };
    connect(&APanel, &TCaptchaPanel::Escaped, this, Application::Guarded([this] { Leave(); }));
}

TCaptchaManagerView::~TCaptchaManagerView()
{
    if (FAPICaptchaManager)
        FAPICaptchaManager->OnCaptchaKeyRequest = nullptr;
    if (FEmulationCaptchaManager)
        FEmulationCaptchaManager->OnCaptchaKeyRequest = nullptr;
}

void TCaptchaManagerView::SetAPICaptchaManager(
    TVKAPICaptchaManager &ACaptchaManager, TVKAPIRequestManager &ARequestManager)
{
    FAPICaptchaManager = &ACaptchaManager;
    FAPIRequestManager = &ARequestManager;
    ACaptchaManager.OnCaptchaKeyRequest
        = [this](TObject *) { Show(caVKAPI, FAPICaptchaManager->CaptchaImageStream()); };
}

void TCaptchaManagerView::SetEmulationCaptchaManager(
    TVKEmulationCaptchaManager &ACaptchaManager, TVKEmulationAuthManager &AAuthManager)
{
    FEmulationCaptchaManager = &ACaptchaManager;
    FEmulationAuthManager = &AAuthManager;
    ACaptchaManager.OnCaptchaKeyRequest
        = [this](TObject *) { Show(caVKEmulation, FEmulationCaptchaManager->CaptchaImageStream()); };
}

void TCaptchaManagerView::Show(TAsker AAsker, const QByteArray &Image)
{
    FAsker = AAsker;
    QPixmap picture;
    picture.loadFromData(Image);
    FSurface.CaptchaImage->setPixmap(picture);
    FSurface.CaptchaImage->setFixedSize(picture.deviceIndependentSize().toSize());
    FSurface.CaptchaImageBorderRectangle->setFixedSize(FSurface.CaptchaImage->size() + QSize(2, 2));
    FCaptchaEdit->SetText(QString());
    FSurface.setGeometry(FSurface.parentWidget()->rect());
    FSurface.show();
    FSurface.raise();
    FCaptchaEdit->SetFocus();
}

void TCaptchaManagerView::EnterButtonClick()
{
    const TAsker asker = std::exchange(FAsker, caNone);
    const QString answer = FCaptchaEdit->Text();
    FSurface.hide();
    if (asker == caVKAPI)
        FAPIRequestManager->InputCaptchaKey(FAPICaptchaManager->CaptchaSID(), answer);
    else if (asker == caVKEmulation)
        FEmulationAuthManager->ReloginWithCaptcha(FEmulationCaptchaManager->CaptchaSID(), answer);
}

void TCaptchaManagerView::Leave()
{
    const TAsker asker = std::exchange(FAsker, caNone);
    FSurface.hide();
    // Whatever waits for the answer must not wait for ever.
    if (asker == caVKAPI)
        FAPIRequestManager->InputCaptchaFailure(QStringLiteral("The captcha was not answered"));
    else if (asker == caVKEmulation && OnEmulationCaptchaLeft)
        OnEmulationCaptchaLeft();
}

void TCaptchaManagerView::Hide()
{
    FAsker = caNone;
    FSurface.hide();
}

void TCaptchaManagerView::HideAPICaptcha()
{
    if (FAsker == caVKAPI)
        Hide();
}

void TCaptchaManagerView::LanguageChanged()
{
    FSurface.LanguageChanged();
    FCaptchaEdit->ReloadPlaceholder();
}
