#include "ui/wrappers/TMetaDataBlockExpanderWrapperUnit.h"

#include "app/application/ApplicationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QMouseEvent>

TMetaDataBlockExpanderWrapper::TMetaDataBlockExpanderWrapper(QObject *AOwner, TExpander *AControl) :
      QObject(AOwner), FControl(AControl), FLoadingAnimation(std::make_unique<TVirtualHorizontalLoadingAnimation>())
{
    OnStyleApplied(AControl, this, [this] { StyleApplied(); });
    SetStyleLookup(AControl, QStringLiteral("expanderstyle"));
}

TMetaDataBlockExpanderWrapper::~TMetaDataBlockExpanderWrapper() = default;

void TMetaDataBlockExpanderWrapper::StyleApplied()
{
    const QString tail = QStringLiteral(" not found inside ") + GetStyleLookup(FControl);
    FTitleRect = FindStylePart<QWidget>(FControl, QStringLiteral("titlerect"), tail);
    FButton = FindStylePart<QAbstractButton>(FControl, QStringLiteral("button"), tail);
    FErrorIndicator = FindStylePart<QWidget>(FControl, QStringLiteral("ErrorIndicatorPanel"), tail);

    FTitleRect->installEventFilter(this);
    connect(FButton, &QAbstractButton::clicked, this, Application::Guarded([this] { Toggle(); }));
    FErrorIndicator->setProperty(HintProperty, FErrorIndicatorHint);

    FAnimationView = new TVirtualShapeAnimationView(FTitleRect);
    FAnimationView->Opacity = 0.8;
    FAnimationView->setContentsMargins(5, 6, 0, 6);
    FAnimationView->setFixedWidth(5 + 20);
    if (auto *row = qobject_cast<QBoxLayout *>(FTitleRect->layout())) {
        // After the other parts on the left: the button and the title.
        int after = 0;
        for (int i = 0; i < row->count(); ++i)
            if (row->itemAt(i)->widget())
                after = i + 1;
            else
                break;
        row->insertWidget(after, FAnimationView);
    }
    FLoadingAnimation->AttachView(FAnimationView);
    FAnimationView->setVisible(FLoadingAnimation->State() == asRunning);
    ApplyMode();
}

void TMetaDataBlockExpanderWrapper::Toggle()
{
    if (FMode == mdemNormal)
        FControl->SetIsExpanded(!FControl->IsExpanded());
}

bool TMetaDataBlockExpanderWrapper::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FTitleRect && Event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton)
        Toggle();
    return QObject::eventFilter(Watched, Event);
}

void TMetaDataBlockExpanderWrapper::ApplyMode()
{
    if (!FButton)
        return;
    switch (FMode) {
    case mdemNormal:
        FControl->SetIsExpanded(true);
        FButton->show();
        FErrorIndicator->hide();
        break;
    case mdemError:
        FControl->SetIsExpanded(false);
        FButton->hide();
        FErrorIndicator->show();
        break;
    case mdemUninitialized:
        break;
    }
}

void TMetaDataBlockExpanderWrapper::SetMode(TMetaDataBlockExpanderMode Value)
{
    if (Value == FMode)
        return;
    FMode = Value;
    ApplyMode();
}

void TMetaDataBlockExpanderWrapper::SetErrorIndicatorHint(const QString &Value)
{
    if (Value == FErrorIndicatorHint)
        return;
    FErrorIndicatorHint = Value;
    if (FErrorIndicator)
        FErrorIndicator->setProperty(HintProperty, Value);
}

void TMetaDataBlockExpanderWrapper::StartLoadingAnimation()
{
    if (FAnimationView)
        FAnimationView->show();
    FLoadingAnimation->Start();
}

void TMetaDataBlockExpanderWrapper::StopLoadingAnimation()
{
    FLoadingAnimation->Stop();
    if (FAnimationView)
        FAnimationView->hide();
}
