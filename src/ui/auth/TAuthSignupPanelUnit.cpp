#include "ui/auth/TAuthSignupPanelUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/auth/FormCardUnit.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int CardWidth = 400;
constexpr int EditHeight = 30;
constexpr int IndicatorWidth = 40;
constexpr int IndicatorHeight = 12;
constexpr int StatusMarkSize = 16;
// The busy indicators sit right of their buttons, this far from their left.
constexpr int IndicatorGap = 10;
constexpr quint32 RussianLCID = 1049;
constexpr quint32 EnglishLCID = 1033;

QString Text(const char *Key)
{
    return LocalizationManager->getValue(QString::fromLatin1(Key));
}

template<class T> T *Named(T *Control, const char *Name, const char *Lookup = nullptr)
{
    Control->setObjectName(QString::fromLatin1(Name));
    if (Lookup)
        Control->setProperty(StyleLookupProperty, QString::fromLatin1(Lookup));
    return Control;
}

QLineEdit *MakeEdit(QWidget *Parent, const char *Name, bool Masked = false)
{
    auto *edit = Named(new QLineEdit(Parent), Name);
    edit->setFixedHeight(EditHeight);
    if (Masked)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QLabel *MakeText(QWidget *Parent, const char *Name, const char *Lookup = "formtextstyle")
{
    auto *label = Named(new QLabel(Parent), Name, Lookup);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

THorizontalLoadingAnimation *MakeIndicator(QWidget *Parent, const char *Name)
{
    auto *indicator = Named(new THorizontalLoadingAnimation(Parent), Name);
    indicator->setFixedSize(IndicatorWidth, IndicatorHeight);
    indicator->hide();
    return indicator;
}

// A button with its busy indicator beside it, in one row.
QHBoxLayout *ButtonRow(QPushButton *Button, QWidget *Indicator)
{
    auto *row = new QHBoxLayout;
    row->addWidget(Button);
    row->addSpacing(IndicatorGap);
    row->addWidget(Indicator);
    row->addStretch();
    return row;
}

// An error strip: hidden until a view has something to say.
QWidget *MakeErrorStrip(QWidget *Parent, const char *Name, const char *TextName, QLabel *&Text)
{
    auto *strip = Named(new QWidget(Parent), Name, "formerrorstyle");
    strip->setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QHBoxLayout(strip);
    layout->setContentsMargins(8, 4, 8, 4);
    Text = MakeText(strip, TextName, "formerrortextstyle");
    layout->addWidget(Text, 1);
    strip->hide();
    return strip;
}

// A field with its status mark under it and the mark's words beside the mark.
QVBoxLayout *StatusRow(QLineEdit *Edit, QWidget *&Mark, const char *MarkName, QLabel *&Words, const char *WordsName)
{
    auto *field = new QVBoxLayout;
    field->setSpacing(2);
    field->addWidget(Edit);
    auto *status = new QHBoxLayout;
    status->setContentsMargins(2, 0, 0, 0);
    Mark = Named(new QLabel(Edit->parentWidget()), MarkName);
    Mark->setFixedSize(StatusMarkSize, StatusMarkSize);
    Mark->hide();
    status->addWidget(Mark);
    Words = MakeText(Edit->parentWidget(), WordsName, "fieldstatusoktextstyle");
    Words->hide();
    status->addWidget(Words, 1);
    field->addLayout(status);
    return field;
}

} // namespace

TAuthSignupPanel::TAuthSignupPanel(QWidget *Parent) : QWidget(Parent)
{
    setObjectName(QStringLiteral("AuthSignupTabControlSurfaceScrollBox"));
    QWidget *card = NewFormCard(this, QStringLiteral("AuthSignupCard"), CardWidth);

    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(20, 12, 20, 20);
    auto *tabs = new QHBoxLayout;
    auto *group = new QButtonGroup(this);
    for (QAbstractButton **button : {&AuthTabButton, &SignupTabButton}) {
        auto *tab = new QPushButton(card);
        tab->setCheckable(true);
        tab->setProperty(StyleLookupProperty, QStringLiteral("formtabbuttonstyle"));
        group->addButton(tab);
        tabs->addWidget(tab);
        *button = tab;
    }
    AuthTabButton->setObjectName(QStringLiteral("AuthSignupAuthorizationTabButton"));
    SignupTabButton->setObjectName(QStringLiteral("AuthSignupSignupTabButton"));
    layout->addLayout(tabs);

    TabControl = Named(new QStackedWidget(card), "AuthSignupTabControl");
    SignupDataViewTabControl = Named(new QStackedWidget(TabControl), "SignupDataViewTabControl");
    SignupDataViewTabControl->addWidget(MakeSignupPage());
    SignupDataViewTabControl->addWidget(MakeConfirmPage());
    AuthTabControl = Named(new QStackedWidget(TabControl), "AuthTabControl");
    AuthTabControl->addWidget(MakeLoginPage());
    AuthTabControl->addWidget(MakeVerifyPage());
    TabControl->addWidget(SignupDataViewTabControl);
    TabControl->addWidget(AuthTabControl);
    layout->addWidget(TabControl);

    // The two tabs first, then the fields of the page shown, in reading order.
    setTabOrder(AuthTabButton, SignupTabButton);
    hide();
}

QWidget *TAuthSignupPanel::MakeLoginPage()
{
    auto *page = Named(new QWidget, "AuthPanelPage");
    auto *layout = new QVBoxLayout(page);
    FLoginDescription = MakeText(page, "AuthPanelDescriptionText");
    layout->addWidget(FLoginDescription);
    LoginNoteText = MakeText(page, "AuthPanelNoteText", "formnotestyle");
    LoginNoteText->hide();
    layout->addWidget(LoginNoteText);
    LoginEdit = MakeEdit(page, "AuthPanelLoginEdit");
    PasswordEdit = MakeEdit(page, "AuthPanelPasswordEdit", true);
    layout->addWidget(LoginEdit);
    layout->addWidget(PasswordEdit);
    LoginButton = Named(new QPushButton(page), "AuthPanelButton", "enterbuttonstyle");
    LoginAniIndicator = MakeIndicator(page, "AuthPanelAniIndicator");
    layout->addLayout(ButtonRow(LoginButton, LoginAniIndicator));
    LoginErrorLayout = MakeErrorStrip(page, "AuthPanelErrorSurfaceLayout", "AuthPanelErrorText", LoginErrorText);
    RetryButton = Named(new QPushButton(LoginErrorLayout), "AuthPanelRetryButton", "formlinkbuttonstyle");
    RetryButton->hide();
    LoginErrorLayout->layout()->addWidget(RetryButton);
    layout->addWidget(LoginErrorLayout);
    layout->addStretch();
    return page;
}

QWidget *TAuthSignupPanel::MakeVerifyPage()
{
    auto *page = Named(new QWidget, "AuthVerifyPage");
    auto *layout = new QVBoxLayout(page);
    FVerifyDescription = MakeText(page, "AuthVerifyDescriptionText");
    layout->addWidget(FVerifyDescription);
    VerifyCodeEdit = MakeEdit(page, "AuthVerifyCodeEdit", true);
    layout->addWidget(VerifyCodeEdit);
    VerifyButton = Named(new QPushButton(page), "AuthVerifyButton", "enterbuttonstyle");
    VerifyAniIndicator = MakeIndicator(page, "AuthVerifyAniIndicator");
    layout->addLayout(ButtonRow(VerifyButton, VerifyAniIndicator));
    VerifyErrorLayout = MakeErrorStrip(page, "AuthVerifyErrorSurfaceLayout", "AuthVerifyErrorText", VerifyErrorText);
    layout->addWidget(VerifyErrorLayout);
    layout->addStretch();
    return page;
}

QWidget *TAuthSignupPanel::MakeSignupPage()
{
    auto *page = Named(new QWidget, "SignupPanelPage");
    auto *layout = new QVBoxLayout(page);
    FSignupDescription = MakeText(page, "SignupPanelDescriptionText");
    layout->addWidget(FSignupDescription);
    auto *names = new QHBoxLayout;
    FirstNameEdit = MakeEdit(page, "SignupPanelFirstNameEdit");
    LastNameEdit = MakeEdit(page, "SignupPanelLastNameEdit");
    names->addWidget(FirstNameEdit);
    names->addWidget(LastNameEdit, 1);
    layout->addLayout(names);
    PhoneEdit = MakeEdit(page, "SignupPanelPhoneEdit");
    layout->addLayout(StatusRow(
        PhoneEdit, PhoneStatusPanel, "SignupPanelPhoneStatusPanel", PhoneStatusText, "SignupPanelPhoneStatusText"));
    SignupPasswordEdit = MakeEdit(page, "SignupPanelPasswordEdit", true);
    layout->addLayout(StatusRow(SignupPasswordEdit, PasswordStatusPanel, "SignupPanelPasswordStatusPanel",
        PasswordStatusText, "SignupPanelPasswordStatusText"));
    PasswordConfirmationEdit = MakeEdit(page, "SignupPanelPasswordConfirmationEdit", true);
    layout->addLayout(StatusRow(PasswordConfirmationEdit, PasswordConfirmationStatusPanel,
        "SignupPanelPasswordConfirmationStatusPanel", PasswordConfirmationStatusText,
        "SignupPanelPasswordConfirmationStatusText"));
    auto *sex = new QHBoxLayout;
    SexMaleRadioButton = Named(new QRadioButton(page), "SignupPanelSexMaleRadioButton");
    SexFemaleRadioButton = Named(new QRadioButton(page), "SignupPanelSexFemaleRadioButton");
    SexMaleRadioButton->setChecked(true);
    sex->addWidget(SexMaleRadioButton);
    sex->addWidget(SexFemaleRadioButton);
    sex->addStretch();
    layout->addLayout(sex);
    SignupButton = Named(new QPushButton(page), "SignupPanelButton", "enterbuttonstyle");
    SignupAniIndicator = MakeIndicator(page, "SignupPanelAniIndicator");
    layout->addLayout(ButtonRow(SignupButton, SignupAniIndicator));
    SignupErrorLayout = MakeErrorStrip(page, "SignupPanelErrorLayout", "SignupPanelErrorText", SignupErrorText);
    layout->addWidget(SignupErrorLayout);
    layout->addStretch();
    return page;
}

QWidget *TAuthSignupPanel::MakeConfirmPage()
{
    auto *page = Named(new QWidget, "ConfirmPanelPage");
    auto *layout = new QVBoxLayout(page);
    FConfirmDescription = MakeText(page, "ConfirmPanelDescriptionText");
    layout->addWidget(FConfirmDescription);
    AuthCodeEdit = MakeEdit(page, "ConfirmPanelAuthCodeEdit");
    layout->addWidget(AuthCodeEdit);
    ConfirmButton = Named(new QPushButton(page), "ConfirmPanelConfirmButton", "enterbuttonstyle");
    ConfirmAniIndicator = MakeIndicator(page, "ConfirmPanelConfirmAniIndicator");
    layout->addLayout(ButtonRow(ConfirmButton, ConfirmAniIndicator));
    FRepeatCodeDescription = MakeText(page, "ConfirmPanelRepeatCodeText");
    layout->addWidget(FRepeatCodeDescription);
    auto *repeat = new QHBoxLayout;
    RepeatTypeSMSRadioButton = Named(new QRadioButton(page), "ConfirmPanelRepeatTypeSMSRadioButton");
    RepeatTypeCallRadioButton = Named(new QRadioButton(page), "ConfirmPanelRepeatTypeCallRadioButton");
    RepeatTypeSMSRadioButton->setChecked(true);
    RepeatCodeButton = Named(new QPushButton(page), "ConfirmPanelRepeatCodeButton");
    RepeatCodeAniIndicator = MakeIndicator(page, "ConfirmPanelRepeatCodeAniIndicator");
    repeat->addWidget(RepeatTypeSMSRadioButton);
    repeat->addWidget(RepeatTypeCallRadioButton);
    repeat->addWidget(RepeatCodeButton);
    repeat->addSpacing(IndicatorGap);
    repeat->addWidget(RepeatCodeAniIndicator);
    repeat->addStretch();
    layout->addLayout(repeat);
    NewSignupLabel = Named(new QPushButton(page), "ConfirmPanelNewSignupLabel", "formlinkbuttonstyle");
    layout->addWidget(NewSignupLabel, 0, Qt::AlignLeft);
    ConfirmErrorLayout = MakeErrorStrip(page, "ConfirmPanelErrorLayout", "ConfirmPanelErrorText", ConfirmErrorText);
    layout->addWidget(ConfirmErrorLayout);
    layout->addStretch();
    return page;
}

void TAuthSignupPanel::LanguageChanged()
{
    AuthTabButton->setText(Text("ASTB_AuthorizationTabButton_Caption"));
    SignupTabButton->setText(Text("ASTB_SignupTabButton_Caption"));
    FLoginDescription->setText(Text("APC_DescriptionText_Text"));
    LoginButton->setText(Text("APC_Button_Caption"));
    RetryButton->setText(Text("APC_RetryButton_Caption"));
    FVerifyDescription->setText(Text("AVP_DescriptionText_Text"));
    VerifyButton->setText(Text("CPC_ConfirmButton_Caption"));
    FSignupDescription->setText(Text("SPC_DescriptionText_Text"));
    SexMaleRadioButton->setText(Text("SPC_SexMaleRadioButton_Caption"));
    SexFemaleRadioButton->setText(Text("SPC_SexFemaleRadioButton_Caption"));
    SignupButton->setText(Text("SPC_Button_Caption") + QStringLiteral(" ▶"));
    SignupButton->setAccessibleName(Text("SPC_Button_Caption"));
    FConfirmDescription->setText(Text("CPC_ConfirmDescriptionText_Text"));
    ConfirmButton->setText(Text("CPC_ConfirmButton_Caption"));
    FRepeatCodeDescription->setText(Text("CPC_RepeatCodeDescriptionText_Text"));
    RepeatCodeButton->setText(Text("CPC_RepeatCodeButton_Caption"));
    RepeatTypeSMSRadioButton->setText(Text("CPC_RepeatCodeTypeSMSRadioButton_Caption"));
    RepeatTypeCallRadioButton->setText(Text("CPC_RepeatCodeTypeCallRadioButton_Caption"));
    NewSignupLabel->setText(QStringLiteral("◀ ") + Text("CPC_NewSignupLabel_Caption"));
    NewSignupLabel->setAccessibleName(Text("CPC_NewSignupLabel_Caption"));

    const quint32 language = LocalizationManager->GetActiveLCID();
    if (language != RussianLCID && language != EnglishLCID)
        return;
    const TWidths &widths = language == RussianLCID ? RussianWidths : EnglishWidths;
    FirstNameEdit->setFixedWidth(widths.FirstNameEdit);
    SignupButton->setMinimumWidth(widths.SignupButton);
    ConfirmButton->setMinimumWidth(widths.ConfirmButton);
    RepeatTypeCallRadioButton->setMinimumWidth(widths.RepeatTypeCallRadioButton);
}

void TAuthSignupPanel::paintEvent(QPaintEvent *Event)
{
    // The player shows through, dimmed.
    QPainter painter(this);
    QColor veil = StyleColor(TStyleColor::Background);
    veil.setAlpha(220);
    painter.fillRect(rect(), veil);
    QWidget::paintEvent(Event);
}
