#include "ui/wrappers/TTooltipUnit.h"

#include "app/application/ApplicationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"

#include <QApplication>
#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

TTooltipControlWrapper::TTooltipControlWrapper(QWidget *AOwner, QWidget *AControl) :
      QObject(AOwner), FControl(AControl), FParentForm(AOwner)
{
    // Never in the way of the pointer.
    FControl->setAttribute(Qt::WA_TransparentForMouseEvents);
    OnStyleApplied(AControl, this, [this] { StyleApplied(); });
    if (!EnsureStyleApplied(AControl))
        StyleApplied();
}

void TTooltipControlWrapper::StyleApplied()
{
    const QString tail = QStringLiteral(" not found inside ") + GetStyleLookup(FControl);
    FText = FindStylePart<QLabel>(FControl, QStringLiteral("text"), tail);
    FRect = FindStylePart<TCalloutRectangle>(FControl, QStringLiteral("rect"), tail);
    FText->setTextFormat(Qt::PlainText);
    FText->setAttribute(Qt::WA_TransparentForMouseEvents);
    FRect->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TTooltipControlWrapper::Show(QWidget *PointedControl, const QString &AText)
{
    EnsureStyleApplied(FControl);
    FText->setText(AText);
    const QFontMetrics metrics(FText->font());
    const QSize textSize = metrics.size(Qt::TextSingleLine, AText);
    const int width = textSize.width() + 10;
    const int height = textSize.height() + 10 + TCalloutRectangle::CalloutLength;
    FControl->resize(width, height);

    QWidget *form = PointedControl->window();
    if (FControl->parentWidget() != form)
        FControl->setParent(form);
    const QPoint at = PointedControl->mapTo(form, QPoint(0, 0));
    int x = PointedControl->width() > 40 ? at.x() + PointedControl->width() / 2 - width / 2 : at.x() - 10;
    // Kept 10 pixels inside the form; a tooltip wider than that starts at 10.
    const int rightmost = form->width() - width - 10;
    x = rightmost < 10 ? 10 : std::clamp(x, 10, rightmost);
    FRect->SetCalloutOffset(PointedControl->width() / 2 + at.x() - x - TCalloutRectangle::CalloutWidth / 2);

    auto *grid = qobject_cast<QGridLayout *>(FRect->layout());
    int y = at.y() - height - VerticalOffset;
    if (y < 0) {
        y = at.y() + PointedControl->height() + VerticalOffset;
        FRect->SetCalloutPosition(TCalloutRectangle::cpTop);
        if (grid)
            grid->setContentsMargins(5, 5 + TCalloutRectangle::CalloutLength, 5, 5);
    } else {
        FRect->SetCalloutPosition(TCalloutRectangle::cpBottom);
        if (grid)
            grid->setContentsMargins(5, 5, 5, 5 + TCalloutRectangle::CalloutLength);
    }
    FControl->move(x, y);
    FControl->show();
    FControl->raise();
    FIsVisible = true;
}

void TTooltipControlWrapper::Hide()
{
    FControl->hide();
    FIsVisible = false;
}

TTooltip::TTooltip(QObject *AOwner, TTooltipControlWrapper *ATooltipControl) :
      QObject(AOwner), FTooltipControl(ATooltipControl), FTimer(std::make_unique<QTimer>())
{
    FTimer->setInterval(TickInterval);
    connect(FTimer.get(), &QTimer::timeout, this, Application::Guarded([this] { Tick(); }));
    // The clock runs only while the pointer moves or a decision is pending:
    // an idle pointer costs nothing.
    qApp->installEventFilter(this);
}

TTooltip::~TTooltip() = default;

bool TTooltip::IsTicking() const
{
    return FTimer->isActive();
}

bool TTooltip::eventFilter(QObject *Watched, QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Wheel:
        if (!FTimer->isActive())
            FTimer->start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(Watched, Event);
}

void TTooltip::Tick()
{
    const QPoint pointer = QCursor::pos();
    const bool moved = pointer != FLastTickMousePos;
    FLastTickMousePos = pointer;

    QWidget *control = nullptr;
    if (QWidget *form = QApplication::activeWindow()) {
        const QPoint local = form->mapFromGlobal(pointer);
        if (form->rect().contains(local)) {
            control = form->childAt(local);
            if (!control)
                control = form;
            // A part of a control's style stands for the control.
            while (control != form && control->parentWidget() && control->objectName() == QLatin1String("styleroot"))
                control = control->parentWidget();
        }
    }
    if (control && control == FPointedControl) {
        ++FCounter;
    } else {
        FPointedControl = control;
        FCounter = 0;
    }
    if (!control) {
        FTooltipControl->Hide();
        if (!moved)
            FTimer->stop();
        return;
    }
    Text.clear();
    if (BeforeShow)
        BeforeShow(this);
    const QString hint = control->property(HintProperty).toString();
    if (!hint.isEmpty())
        Text = hint;
    else if (BeforeShow)
        BeforeShow(this);
    if (!Text.isEmpty() && (FTooltipControl->IsVisible() || FCounter >= 1))
        FTooltipControl->Show(control, Text);
    else
        FTooltipControl->Hide();
    // At rest and decided: nothing changes until the pointer moves again.
    if (!moved && FCounter >= 1)
        FTimer->stop();
}
