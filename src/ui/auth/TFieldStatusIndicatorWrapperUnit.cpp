#include "ui/auth/TFieldStatusIndicatorWrapperUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QLabel>
#include <QWidget>

TFieldStatusIndicatorWrapper::TFieldStatusIndicatorWrapper(QObject *AOwner, QWidget *AControl, QLabel *AWords) :
      QObject(AOwner), FControl(AControl), FWords(AWords)
{
    FWords->setTextFormat(Qt::PlainText);
    Show();
}

void TFieldStatusIndicatorWrapper::SetStatus(TFieldStatus Value)
{
    if (Value == FStatus)
        return;
    FStatus = Value;
    Show();
}

void TFieldStatusIndicatorWrapper::SetHint(const QString &Value)
{
    if (Value == FHint)
        return;
    FHint = Value;
    Show();
}

QString TFieldStatusIndicatorWrapper::Words() const
{
    return FWords->isHidden() ? QString() : FWords->text();
}

void TFieldStatusIndicatorWrapper::Show()
{
    const bool shown = FStatus != fsUnitinialized;
    // Hidden, not removed: the form keeps its place for the mark.
    FControl->setVisible(shown);
    if (shown)
        SetStyleLookup(FControl,
            FStatus == fsOK ? QStringLiteral("FieldStatusOKPanelstyle") : QStringLiteral("FieldStatusErrorPanelstyle"));
    FControl->setProperty(HintProperty, FHint);
    FControl->setToolTip(FHint);
    FControl->setAccessibleName(FHint);
    FWords->setText(shown ? FHint : QString());
    FWords->setVisible(shown && !FHint.isEmpty());
    SetStyleLookup(FWords,
        FStatus == fsError ? QStringLiteral("fieldstatuserrortextstyle") : QStringLiteral("fieldstatusoktextstyle"));
}
