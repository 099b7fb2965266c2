#pragma once

#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class THorizontalLoadingAnimation;

// The sign-in and sign-up overlay over the whole window: the Log In and Sign
// Up tabs, the login and two-step pages, the sign-up form with the marks of
// its fields and the confirmation page. Only the controls and their fixed
// captions; the views bind them to the clients. Its controls carry the
// object names the views and tests find them by.
class TAuthSignupPanel : public QWidget
{
    Q_OBJECT
public:
    // Widths that follow the language, by its identifier.
    struct TWidths
    {
        int FirstNameEdit;
        int SignupButton;
        int ConfirmButton;
        int RepeatTypeCallRadioButton;
    };
    static constexpr TWidths RussianWidths {118, 150, 90, 67};
    static constexpr TWidths EnglishWidths {128, 80, 60, 47};

    explicit TAuthSignupPanel(QWidget *Parent);

    // The captions and widths in the active language.
    void LanguageChanged();

    QAbstractButton *AuthTabButton;
    QAbstractButton *SignupTabButton;
    QStackedWidget *TabControl;

    QStackedWidget *AuthTabControl;
    QLineEdit *LoginEdit;
    QLineEdit *PasswordEdit;
    QPushButton *LoginButton;
    THorizontalLoadingAnimation *LoginAniIndicator;
    QWidget *LoginErrorLayout;
    QLabel *LoginErrorText;
    QPushButton *RetryButton;
    QLabel *LoginNoteText;
    QLineEdit *VerifyCodeEdit;
    QPushButton *VerifyButton;
    THorizontalLoadingAnimation *VerifyAniIndicator;
    QWidget *VerifyErrorLayout;
    QLabel *VerifyErrorText;

    QStackedWidget *SignupDataViewTabControl;
    QLineEdit *FirstNameEdit;
    QLineEdit *LastNameEdit;
    QLineEdit *PhoneEdit;
    QLineEdit *SignupPasswordEdit;
    QLineEdit *PasswordConfirmationEdit;
    QRadioButton *SexMaleRadioButton;
    QRadioButton *SexFemaleRadioButton;
    QWidget *PhoneStatusPanel;
    QLabel *PhoneStatusText;
    QWidget *PasswordStatusPanel;
    QLabel *PasswordStatusText;
    QWidget *PasswordConfirmationStatusPanel;
    QLabel *PasswordConfirmationStatusText;
    QPushButton *SignupButton;
    THorizontalLoadingAnimation *SignupAniIndicator;
    QWidget *SignupErrorLayout;
    QLabel *SignupErrorText;

    QLineEdit *AuthCodeEdit;
    QPushButton *ConfirmButton;
    THorizontalLoadingAnimation *ConfirmAniIndicator;
    QRadioButton *RepeatTypeSMSRadioButton;
    QRadioButton *RepeatTypeCallRadioButton;
    QPushButton *RepeatCodeButton;
    THorizontalLoadingAnimation *RepeatCodeAniIndicator;
    QPushButton *NewSignupLabel;
    QWidget *ConfirmErrorLayout;
    QLabel *ConfirmErrorText;

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    QWidget *MakeLoginPage();
    QWidget *MakeVerifyPage();
    QWidget *MakeSignupPage();
    QWidget *MakeConfirmPage();

    QLabel *FLoginDescription;
    QLabel *FVerifyDescription;
    QLabel *FSignupDescription;
    QLabel *FConfirmDescription;
    QLabel *FRepeatCodeDescription;
};
