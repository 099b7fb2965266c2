#include "ui/auth/TAuthOverlayUnit.h"

#include "ui/auth/TAuthSignupPanelUnit.h"
#include "ui/auth/TCaptchaManagerViewUnit.h"
#include "ui/auth/TCaptchaPanelUnit.h"
#include "ui/auth/TVKAPIAuthManagerViewUnit.h"
#include "ui/auth/TVKAPISignupDataViewUnit.h"
#include "ui/auth/TVKEmulationAuthManagerViewUnit.h"
#include "vkapi/TVKAPIAuthManagerUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QEvent>
#include <QWidget>

TAuthOverlay::TAuthOverlay(QWidget *AWindow, QWidget *AHeader, QWidget *ANote, TVKEmulationManager &AEmulationManager,
    TVKAPIManager &AAPIManager) :
      QObject(AWindow),
      FWindow(AWindow), FHeader(AHeader), FNote(ANote), FPanel(new TAuthSignupPanel(AWindow)),
      FCaptchaPanel(new TCaptchaPanel(AWindow)), FAuthView(new TVKAPIAuthManagerView(this, *FPanel)),
      FEmulationAuthView(new TVKEmulationAuthManagerView(this, *FPanel)),
      FSignupView(new TVKAPISignupDataView(this, *FPanel)), FCaptchaView(new TCaptchaManagerView(this, *FCaptchaPanel))
{
    FEmulationAuthView->SetAuthManager(AEmulationManager.AuthManager());
    FEmulationAuthView->OnShowRequest = [this] {
        FAuthView->SelectAuthTab();
        ShowPanel();
    };
    FEmulationAuthView->OnHideRequest = [this] { HidePanel(); };
    FSignupView->SetData(AAPIManager.AuthManager().SignupData());
    FSignupView->OnAccountCreated = [this](const QString &Phone) { FEmulationAuthView->ShowSignedUp(Phone); };
    FCaptchaView->SetAPICaptchaManager(AAPIManager.CaptchaManager(), AAPIManager.RequestManager());
    FCaptchaView->SetEmulationCaptchaManager(AEmulationManager.CaptchaManager(), AEmulationManager.AuthManager());
    FCaptchaView->OnEmulationCaptchaLeft = [this] { FEmulationAuthView->StopIndicators(); };
    AWindow->installEventFilter(this);
}

TAuthOverlay::~TAuthOverlay() = default;

void TAuthOverlay::Authorize()
{
    FEmulationAuthView->Authorize();
}

void TAuthOverlay::LoggedOut()
{
    FCaptchaView->HideAPICaptcha();
    FEmulationAuthView->Clear();
    FEmulationAuthView->Authorize();
}

void TAuthOverlay::LanguageChanged()
{
    FPanel->LanguageChanged();
    FEmulationAuthView->LanguageChanged();
    FSignupView->LanguageChanged();
    FCaptchaView->LanguageChanged();
}

bool TAuthOverlay::IsShown() const
{
    return !FPanel->isHidden();
}

void TAuthOverlay::ShowPanel()
{
    FPanel->setGeometry(FWindow->rect());
    SetBehindEnabled(false);
    FPanel->show();
    FPanel->raise();
    // A captcha asked meanwhile stays in front of the form it belongs to.
    if (!FCaptchaPanel->isHidden())
        FCaptchaPanel->raise();
    // A note of what just happened (a logout that could not be stored) is
    // read over the form.
    FNote->raise();
}

void TAuthOverlay::HidePanel()
{
    FPanel->hide();
    SetBehindEnabled(true);
}

void TAuthOverlay::SetBehindEnabled(bool Value)
{
    for (QWidget *child : FWindow->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (child != FPanel && child != FCaptchaPanel && child != FHeader && child != FNote && !child->isWindow())
            child->setEnabled(Value);
}

bool TAuthOverlay::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FWindow && Event->type() == QEvent::Resize) {
        FPanel->setGeometry(FWindow->rect());
        FCaptchaPanel->setGeometry(FWindow->rect());
    }
    return QObject::eventFilter(Watched, Event);
}
