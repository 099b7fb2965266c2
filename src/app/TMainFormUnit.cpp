#include "TMainFormUnit.h"

#include "TQelmLocalizationUnit.h"
#include "TVersionInfoUnit.h"

#include <QCoreApplication>

TMainForm::TMainForm()
{
    setObjectName(QStringLiteral("MainForm"));
    resize(960, 640);
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Marvane Player ") + GetProgramVersionString());
    // Last step: the window fills its texts in the active language.
    QEvent message(WM_LOCALIZATIONCHANGED);
    QCoreApplication::sendEvent(this, &message);
}
