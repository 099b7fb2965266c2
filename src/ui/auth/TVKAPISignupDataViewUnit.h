#pragma once

#include <QObject>
#include <QString>

#include <functional>

class TAuthSignupPanel;
class TFieldStatusIndicatorWrapper;
class TPlaceholderEditWrapper;
class TVKAPISignupData;

// Binds the sign-up and confirmation pages of the overlay to the sign-up
// model: every field goes into the model as it is typed, the marks of the
// phone and both passwords follow its judgements in words and tooltips, a
// refused field flashes, and the pages, errors and busy indicators follow the
// model's stage and state.
class TVKAPISignupDataView : public QObject
{
public:
    TVKAPISignupDataView(QObject *AOwner, TAuthSignupPanel &ASurface);
    ~TVKAPISignupDataView() override;

    void SetData(TVKAPISignupData &AData);
    void LanguageChanged();

    TPlaceholderEditWrapper &FirstNameEdit() const { return *FFirstNameEdit; }
    TPlaceholderEditWrapper &PhoneEdit() const { return *FPhoneEdit; }
    TPlaceholderEditWrapper &PasswordEdit() const { return *FPasswordEdit; }
    TPlaceholderEditWrapper &PasswordConfirmationEdit() const { return *FPasswordConfirmationEdit; }
    TPlaceholderEditWrapper &AuthCodeEdit() const { return *FAuthCodeEdit; }
    TFieldStatusIndicatorWrapper &PhoneFieldStatusIndicator() const { return *FPhoneFieldStatusIndicator; }
    TFieldStatusIndicatorWrapper &PasswordFieldStatusIndicator() const { return *FPasswordFieldStatusIndicator; }
    TFieldStatusIndicatorWrapper &PConfirmationFieldStatusIndicator() const
    {
        return *FPConfirmationFieldStatusIndicator;
    }

    // The account of this phone was created.
    std::function<void(const QString &Phone)> OnAccountCreated;

private:
    void UpdateView();
    void UpdateLoading();
    void UpdateRepeatCode();
    void UpdatePhoneStatus();
    void UpdatePasswordStatus();
    void UpdatePasswordConfirmationStatus();
    void StageChanged();
    void ShowError(bool Confirm, const QString &Key);
    void ClearPasswords();

    TAuthSignupPanel &FSurface;
    TVKAPISignupData *FData = nullptr;
    TPlaceholderEditWrapper *FFirstNameEdit;
    TPlaceholderEditWrapper *FLastNameEdit;
    TPlaceholderEditWrapper *FPhoneEdit;
    TPlaceholderEditWrapper *FPasswordEdit;
    TPlaceholderEditWrapper *FPasswordConfirmationEdit;
    TPlaceholderEditWrapper *FAuthCodeEdit;
    TFieldStatusIndicatorWrapper *FPhoneFieldStatusIndicator;
    TFieldStatusIndicatorWrapper *FPasswordFieldStatusIndicator;
    TFieldStatusIndicatorWrapper *FPConfirmationFieldStatusIndicator;
    // The keys shown, to say them again in another language.
    QString FSignupErrorKey;
    QString FConfirmErrorKey;
};
