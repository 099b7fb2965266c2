#pragma once

#include <QObject>

#include <functional>

class TCaptchaPanel;
class TPlaceholderEditWrapper;
class TVKAPICaptchaManager;
class TVKAPIRequestManager;
class TVKEmulationAuthManager;
class TVKEmulationCaptchaManager;

// Shows the captcha of either client on the one captcha overlay and sends the
// answer to the client whose captcha is shown: the VK API's to its request
// queue, the web sign-in's as a new login. An answer never reaches a client
// that did not ask.
class TCaptchaManagerView : public QObject
{
public:
    enum TAsker { caNone, caVKAPI, caVKEmulation };

    TCaptchaManagerView(QObject *AOwner, TCaptchaPanel &APanel);
    ~TCaptchaManagerView() override;

    void SetAPICaptchaManager(TVKAPICaptchaManager &ACaptchaManager, TVKAPIRequestManager &ARequestManager);
    void SetEmulationCaptchaManager(TVKEmulationCaptchaManager &ACaptchaManager, TVKEmulationAuthManager &AAuthManager);

    TAsker Asker() const { return FAsker; }
    TPlaceholderEditWrapper &CaptchaEdit() const { return *FCaptchaEdit; }
    void Hide();
    // Hides the overlay if it shows the VK API's captcha.
    void HideAPICaptcha();
    void LanguageChanged();

    // The user left the web sign-in's captcha unanswered.
    std::function<void()> OnEmulationCaptchaLeft;

private:
    void Show(TAsker AAsker, const QByteArray &Image);
    void EnterButtonClick();
    void Leave();

    TCaptchaPanel &FSurface;
    TPlaceholderEditWrapper *FCaptchaEdit;
    TVKAPICaptchaManager *FAPICaptchaManager = nullptr;
    TVKAPIRequestManager *FAPIRequestManager = nullptr;
    TVKEmulationCaptchaManager *FEmulationCaptchaManager = nullptr;
    TVKEmulationAuthManager *FEmulationAuthManager = nullptr;
    // The manager whose captcha the overlay shows now.
    TAsker FAsker = caNone;
};
