#include "app/shell/TUpdateDialogUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QWindow>

namespace {

QString Text(const QString &Key)
{
    return LocalizationManager->getValue(Key);
}

QLabel *NewLabel(const QString &Name, const QString &Lookup, QWidget *Parent)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(Name);
    label->setProperty(StyleLookupProperty, Lookup);
    // The version and the features come from the network.
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TUpdateDialog::TUpdateDialog(const QString &AVersionText, const QStringList &AFeatures, QWidget *Parent) :
      QDialog(Parent), FVersionText(AVersionText)
{
    setObjectName(QStringLiteral("UpdateDialog"));
    setFixedSize(DialogWidth, DialogHeight);

    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("UpdateDialogHeader"));
    header->setProperty(StyleLookupProperty, QStringLiteral("updatedialogheaderstyle"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setFixedHeight(HeaderHeight);
    FHeading = NewLabel(QStringLiteral("UpdateHeadingLabel"), QStringLiteral("updatedialogheadingstyle"), header);
    FHeading->setAlignment(Qt::AlignCenter);
    auto *closeButton = new QToolButton(header);
    closeButton->setObjectName(QStringLiteral("UpdateCloseButton"));
    closeButton->setProperty(StyleLookupProperty, QStringLiteral("updatedialogcloseButtonstyle"));
    closeButton->setFixedSize(CloseButtonSize, CloseButtonSize);
    closeButton->setFocusPolicy(Qt::TabFocus);
    FCloseButton = closeButton;
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(CloseButtonSize + 12, 0, 12, 0);
    headerLayout->addWidget(FHeading, 1);
    headerLayout->addWidget(closeButton);

    FVersion = NewLabel(QStringLiteral("UpdateVersionLabel"), QStringLiteral("updatedialogversionstyle"), this);
    FVersion->setAlignment(Qt::AlignCenter);
    QString features;
    for (const QString &feature : AFeatures)
        features += QStringLiteral("●  ") + feature + u'\n';
    FFeatures = NewLabel(QStringLiteral("UpdateFeaturesLabel"), QStringLiteral("updatedialogfeaturesstyle"), this);
    FFeatures->setText(features.trimmed());
    FFeatures->setWordWrap(true);
    FFeatures->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A long list scrolls inside the dialog's fixed size.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("UpdateFeaturesArea"));
    scroll->setProperty(StyleLookupProperty, QStringLiteral("updatedialogfeaturesareastyle"));
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(FFeatures);

    FSkipCheckBox = new QCheckBox(this);
    FSkipCheckBox->setObjectName(QStringLiteral("SkipVersionCheckBox"));
    FDownloadPageButton = new QPushButton(this);
    FDownloadPageButton->setObjectName(QStringLiteral("DownloadPageButton"));
    FDownloadPageButton->setProperty(StyleLookupProperty, QStringLiteral("updatebuttonstyle"));
    FDownloadPageButton->setDefault(true);
    FCancelButton = new QPushButton(this);
    FCancelButton->setObjectName(QStringLiteral("UpdateCancelButton"));

    auto *buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addStretch(1);
    buttons->addWidget(FDownloadPageButton);
    buttons->addWidget(FCancelButton);
    auto *body = new QVBoxLayout();
    body->setContentsMargins(12, 8, 12, 12);
    body->setSpacing(8);
    body->addWidget(FVersion);
    body->addWidget(scroll, 1);
    body->addWidget(FSkipCheckBox);
    body->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addLayout(body, 1);

    connect(FDownloadPageButton, &QPushButton::clicked, this, [this] { done(udcDownloadPage); });
    connect(FCancelButton, &QPushButton::clicked, this, [this] { done(udcCancel); });
    connect(closeButton, &QToolButton::clicked, this, [this] { done(udcClose); });
    LanguageChangedMessage();
}

bool TUpdateDialog::IsSkipChecked() const
{
    return FSkipCheckBox->isChecked();
}

QAbstractButton *TUpdateDialog::DownloadPageButton() const
{
    return FDownloadPageButton;
}

QAbstractButton *TUpdateDialog::CancelButton() const
{
    return FCancelButton;
}

QAbstractButton *TUpdateDialog::CloseButton() const
{
    return FCloseButton;
}

void TUpdateDialog::reject()
{
    done(udcCancel);
}

void TUpdateDialog::LanguageChangedMessage()
{
    setWindowTitle(Text(QStringLiteral("Update_Dialog_Heading")));
    FHeading->setText(Text(QStringLiteral("Update_Dialog_Heading")));
    FVersion->setText(Text(QStringLiteral("Update_Dialog_Version")).replace(QStringLiteral("%s"), FVersionText));
    FSkipCheckBox->setText(Text(QStringLiteral("Update_Dialog_SkipVersion")));
    FDownloadPageButton->setText(Text(QStringLiteral("Update_Dialog_DownloadPageButton")));
    FCancelButton->setText(Text(QStringLiteral("CancelButton_Caption")));
    FCloseButton->setAccessibleName(Text(QStringLiteral("Update_Dialog_CloseButton")));
}

bool TUpdateDialog::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED)
        LanguageChangedMessage();
    return QDialog::event(Event);
}

void TUpdateDialog::mousePressEvent(QMouseEvent *Event)
{
    // The header carries the dialog, as a title bar does.
    if (Event->button() == Qt::LeftButton && Event->position().y() <= HeaderHeight && windowHandle()) {
        windowHandle()->startSystemMove();
        return;
    }
    QDialog::mousePressEvent(Event);
}
