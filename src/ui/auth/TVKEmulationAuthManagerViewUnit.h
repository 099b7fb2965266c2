#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

class QWidget;
class TAuthSignupPanel;
class THorizontalLoadingAnimation;
class TPlaceholderEditWrapper;
class TVKEmulationAuthManager;

// Binds the login and two-step pages of the overlay to the web sign-in: the
// forms submit, the sign-in's events show their pages, errors and busy
// indicators, and the overlay stays up until the sign-in succeeds. A failed
// check of the stored session offers to check again.
class TVKEmulationAuthManagerView : public QObject
{
public:
    static constexpr int LoginTabIndex = 0;
    static constexpr int VerifyTabIndex = 1;

    TVKEmulationAuthManagerView(QObject *AOwner, TAuthSignupPanel &ASurface);
    ~TVKEmulationAuthManagerView() override;

    void SetAuthManager(TVKEmulationAuthManager &AAuthManager);
    // Checks the stored session; a failure shows the login page with a retry.
    void Authorize();
    // After a logout: the password and the code emptied, no error left.
    void Clear();
    // A new account: the login page with its phone filled in and a note.
    void ShowSignedUp(const QString &Phone);
    void StopIndicators();
    void LanguageChanged();

    TPlaceholderEditWrapper &LoginEdit() const { return *FLoginEdit; }
    TPlaceholderEditWrapper &PasswordEdit() const { return *FPasswordEdit; }
    TPlaceholderEditWrapper &VerifyCodeEdit() const { return *FVerifyCodeEdit; }

    // The overlay is to be shown on the sign-in tab.
    std::function<void()> OnShowRequest;
    // The sign-in succeeded: the overlay goes.
    std::function<void()> OnHideRequest;

private:
    enum TStep { stNone, stCheck, stLogin, stVerify };

    void SubmitLogin();
    void SubmitCode();
    void AuthSuccess();
    void UnexpectedError();
    void AuthDataRequired();
    void InvalidAuthData();
    void VerificationCodeRequired();
    void InvalidVerificationCode();
    void ShowError(QWidget *Strip, const QString &Key, bool Retry = false);
    static void StartIndicator(THorizontalLoadingAnimation *Indicator);

    TAuthSignupPanel &FSurface;
    TPlaceholderEditWrapper *FLoginEdit;
    TPlaceholderEditWrapper *FPasswordEdit;
    TPlaceholderEditWrapper *FVerifyCodeEdit;
    TVKEmulationAuthManager *FAuthManager = nullptr;
    std::uint64_t FAuthSuccessHandler = 0;
    // What the sign-in was last asked to do.
    TStep FStep = stNone;
    // The key of the error shown, to say it again in another language.
    QString FLoginErrorKey;
    QString FVerifyErrorKey;
};
