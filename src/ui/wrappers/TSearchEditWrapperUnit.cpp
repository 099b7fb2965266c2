#include "ui/wrappers/TSearchEditWrapperUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/animations/TShapeAnimationUnit.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

TSearchEditWrapper::TSearchEditWrapper(QObject *AOwner, TShapeAnimation *AAniIndicator, QLineEdit *AEdit) :
      QObject(AOwner), FEdit(AEdit), FAniIndicator(AAniIndicator), FStopAnimationTimer(std::make_unique<QTimer>())
{
    EnsureStyleApplied(AEdit);
    const QString tail = QStringLiteral(" not found in ") + GetStyleLookup(AEdit);
    FButtonsLayout = FindStylePart<QWidget>(AEdit, QStringLiteral("buttons"), tail);
    FPlaceHolder = FindStylePart<QLabel>(AEdit, QStringLiteral("placeholder"), tail);
    FButtonsLayout->setFixedWidth(20);
    FPlaceHolder->setText(LocalizationManager->getValue(QStringLiteral("SearchEdit_Placeholder")));
    FEdit->installEventFilter(this);
    FStopAnimationTimer->setSingleShot(true);
    FStopAnimationTimer->setInterval(StopAnimationDelay);
    connect(FStopAnimationTimer.get(), &QTimer::timeout, this, [this] { SetIndicator(false); });
    FAniIndicator->hide();
}

TSearchEditWrapper::~TSearchEditWrapper() = default;

void TSearchEditWrapper::ShowPlaceHolder(bool Visible)
{
    FPlaceHolder->setVisible(Visible);
}

bool TSearchEditWrapper::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FEdit) {
        switch (int(Event->type())) {
        case QEvent::MouseButtonPress:
        // Also when the box is reached with the keyboard: typed text must
        // not run under the placeholder.
        case QEvent::FocusIn:
            ShowPlaceHolder(false);
            break;
        case QEvent::FocusOut:
            if (FEdit->text().isEmpty())
                ShowPlaceHolder(true);
            break;
        case WM_LOCALIZATIONCHANGED:
            FPlaceHolder->setText(LocalizationManager->getValue(QStringLiteral("SearchEdit_Placeholder")));
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

bool TSearchEditWrapper::IsIndicatorOn() const
{
    return FAniIndicator->State() == asRunning;
}

void TSearchEditWrapper::SetIndicator(bool On)
{
    if (On) {
        FAniIndicator->show();
        if (FAniIndicator->State() != asRunning)
            FAniIndicator->Start();
    } else {
        FAniIndicator->Stop();
        FAniIndicator->hide();
    }
}

void TSearchEditWrapper::TaskStarted()
{
    ++FTasksCount;
    if (FTasksCount == 1) {
        FStopAnimationTimer->stop();
        SetIndicator(true);
    }
}

void TSearchEditWrapper::TaskFinished()
{
    if (FTasksCount == 0)
        return;
    --FTasksCount;
    if (FTasksCount == 0)
        FStopAnimationTimer->start();
}
