#pragma once

#include <QObject>

class QWidget;
class TAuthSignupPanel;
class TCaptchaManagerView;
class TCaptchaPanel;
class TVKAPIAuthManagerView;
class TVKAPIManager;
class TVKAPISignupDataView;
class TVKEmulationAuthManagerView;
class TVKEmulationManager;

// The account overlays of a window: the sign-in and sign-up overlay and the
// captcha overlay, both over the whole of the window's client area, with the
// views that bind them to the web sign-in, the VK API's captcha and the
// sign-up model.
class TAuthOverlay : public QObject
{
public:
    // AHeader (a child of AWindow) stays usable under the overlay; the rest
    // of the window is out of reach of the pointer and the Tab key. ANote
    // (the window's notes) stays in front of the overlays.
    TAuthOverlay(QWidget *AWindow, QWidget *AHeader, QWidget *ANote, TVKEmulationManager &AEmulationManager,
        TVKAPIManager &AAPIManager);
    ~TAuthOverlay() override;

    // Checks the stored session; the overlay shows when a password is needed
    // or the check failed.
    void Authorize();
    // After a logout: the login page again, the password emptied, the VK
    // API's captcha gone; then the check of the (now empty) session.
    void LoggedOut();
    void LanguageChanged();
    bool IsShown() const;

    TAuthSignupPanel &Panel() const { return *FPanel; }
    TCaptchaPanel &CaptchaPanel() const { return *FCaptchaPanel; }
    TVKEmulationAuthManagerView &EmulationAuthView() const { return *FEmulationAuthView; }
    TVKAPISignupDataView &SignupView() const { return *FSignupView; }
    TCaptchaManagerView &CaptchaView() const { return *FCaptchaView; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void ShowPanel();
    void HidePanel();
    void SetBehindEnabled(bool Value);

    QWidget *FWindow;
    QWidget *FHeader;
    QWidget *FNote;
    TAuthSignupPanel *FPanel;
    TCaptchaPanel *FCaptchaPanel;
    TVKAPIAuthManagerView *FAuthView;
    TVKEmulationAuthManagerView *FEmulationAuthView;
    TVKAPISignupDataView *FSignupView;
    TCaptchaManagerView *FCaptchaView;
};
