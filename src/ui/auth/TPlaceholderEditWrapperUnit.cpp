#include "ui/auth/TPlaceholderEditWrapperUnit.h"

#include "app/application/ApplicationUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVariantAnimation>

namespace {

constexpr int WarningDurationMs = 700;
// Set on the edit while its warning runs; the style sheet colours its border.
constexpr char WarningProperty[] = "warning";

void SetWarning(QLineEdit *Edit, bool Value)
{
    if (!Edit || Edit->property(WarningProperty).toBool() == Value)
        return;
    Edit->setProperty(WarningProperty, Value);
    Edit->style()->unpolish(Edit);
    Edit->style()->polish(Edit);
}

} // namespace

TPlaceholderEditWrapper::TPlaceholderEditWrapper(
    QObject *AOwner, QLineEdit *AControl, const QString &APlaceholderTextValue) :
      QObject(AOwner),
      FControl(AControl), FPlaceholderTextValue(APlaceholderTextValue), FWarningAnimation(new QVariantAnimation(this))
{
    FWarningAnimation->setDuration(WarningDurationMs);
    FWarningAnimation->setStartValue(0);
    FWarningAnimation->setEndValue(1);
    connect(FWarningAnimation, &QVariantAnimation::finished, this, [this] { SetWarning(FControl, false); });
    AControl->installEventFilter(this);
    connect(AControl, &QLineEdit::textChanged, this, Application::Guarded([this] {
        UpdatePlaceholder();
        if (OnChange)
            OnChange(this);
    }));
    connect(AControl, &QLineEdit::returnPressed, this, Application::Guarded([this] {
        if (OnEnter)
            OnEnter(this);
    }));
    OnStyleApplied(AControl, this, [this] { StyleApplied(); });
    SetStyleLookup(AControl, QStringLiteral("placeholderEditstyle"));
}

QString TPlaceholderEditWrapper::Text() const
{
    return FControl->text();
}

void TPlaceholderEditWrapper::SetText(const QString &Value)
{
    FControl->setText(Value);
}

void TPlaceholderEditWrapper::SetPlaceholderTextValue(const QString &Value)
{
    if (Value == FPlaceholderTextValue)
        return;
    FPlaceholderTextValue = Value;
    ApplyStyle(FControl);
}

void TPlaceholderEditWrapper::ReloadPlaceholder()
{
    const QString text = LocalizationManager->getValue(FPlaceholderTextValue);
    FControl->setAccessibleName(text);
    if (FPlaceholderText)
        FPlaceholderText->setText(text);
}

void TPlaceholderEditWrapper::StyleApplied()
{
    FPlaceholderText = FindStylePart<QLabel>(
        FControl, QStringLiteral("placeholder"), QStringLiteral(" not found in ") + GetStyleLookup(FControl));
    ReloadPlaceholder();
    UpdatePlaceholder();
}

void TPlaceholderEditWrapper::UpdatePlaceholder()
{
    if (FPlaceholderText)
        FPlaceholderText->setVisible(!FControl->hasFocus() && FControl->text().isEmpty());
}

bool TPlaceholderEditWrapper::IsPlaceholderShown() const
{
    return FPlaceholderText && !FPlaceholderText->isHidden();
}

void TPlaceholderEditWrapper::PerformWarningAnimation()
{
    ++FWarningCount;
    SetWarning(FControl, true);
    FWarningAnimation->stop();
    FWarningAnimation->start();
}

void TPlaceholderEditWrapper::SetFocus()
{
    FControl->setFocus(Qt::OtherFocusReason);
}

bool TPlaceholderEditWrapper::eventFilter(QObject *Watched, QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::MouseButtonPress:
        UpdatePlaceholder();
        break;
    default:
        break;
    }
    return QObject::eventFilter(Watched, Event);
}
