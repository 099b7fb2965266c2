#include "ui/auth/TCaptchaPanelUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/auth/FormCardUnit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int CardWidth = 300;
constexpr int LogoSize = 32;

} // namespace

TCaptchaPanel::TCaptchaPanel(QWidget *Parent) : QWidget(Parent)
{
    setObjectName(QStringLiteral("CaptchaPanelSurfaceScrollBox"));
    QWidget *card = NewFormCard(this, QStringLiteral("CaptchaPanel"), CardWidth);

    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(20, 16, 20, 20);
    auto *head = new QHBoxLayout;
    auto *logo = new QLabel(card);
    logo->setObjectName(QStringLiteral("CaptchaPanelVKLogoPanel"));
    logo->setProperty(StyleLookupProperty, QStringLiteral("VKLogoPanelStyle"));
    logo->setFixedSize(LogoSize, LogoSize);
    FDescription = new QLabel(card);
    FDescription->setObjectName(QStringLiteral("CaptchaPanelDescriptionText"));
    FDescription->setProperty(StyleLookupProperty, QStringLiteral("formtextstyle"));
    FDescription->setWordWrap(true);
    head->addWidget(logo);
    head->addWidget(FDescription, 1);
    layout->addLayout(head);

    CaptchaImageBorderRectangle = new QWidget(card);
    CaptchaImageBorderRectangle->setObjectName(QStringLiteral("CaptchaPanelCaptchaImageBorderRectangle"));
    CaptchaImageBorderRectangle->setProperty(StyleLookupProperty, QStringLiteral("captchaborderstyle"));
    CaptchaImageBorderRectangle->setAttribute(Qt::WA_StyledBackground);
    auto *border = new QVBoxLayout(CaptchaImageBorderRectangle);
    border->setContentsMargins(1, 1, 1, 1);
    CaptchaImage = new QLabel(CaptchaImageBorderRectangle);
    CaptchaImage->setObjectName(QStringLiteral("CaptchaPanelImage"));
    border->addWidget(CaptchaImage);
    layout->addWidget(CaptchaImageBorderRectangle, 0, Qt::AlignHCenter);

    auto *row = new QHBoxLayout;
    CaptchaEdit = new QLineEdit(card);
    CaptchaEdit->setObjectName(QStringLiteral("CaptchaPanelEdit"));
    EnterButton = new QPushButton(card);
    EnterButton->setObjectName(QStringLiteral("CaptchaPanelEnterButton"));
    EnterButton->setProperty(StyleLookupProperty, QStringLiteral("enterbuttonstyle"));
    row->addWidget(CaptchaEdit, 1);
    row->addWidget(EnterButton);
    layout->addLayout(row);
    hide();
}

void TCaptchaPanel::LanguageChanged()
{
    FDescription->setText(LocalizationManager->getValue(QStringLiteral("CMVC_DescriptionText_Text")));
    EnterButton->setText(LocalizationManager->getValue(QStringLiteral("CMVC_EnterButton_Caption")));
}

void TCaptchaPanel::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_Escape) {
        Q_EMIT Escaped();
        return;
    }
    QWidget::keyPressEvent(Event);
}

void TCaptchaPanel::paintEvent(QPaintEvent *Event)
{
    QPainter painter(this);
    QColor veil = StyleColor(TStyleColor::Background);
    veil.setAlpha(220);
    painter.fillRect(rect(), veil);
    QWidget::paintEvent(Event);
}
