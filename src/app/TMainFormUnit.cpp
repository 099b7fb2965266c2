#include "app/TMainFormUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "app/TVersionInfoUnit.h"

#include <QCloseEvent>
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

void TMainForm::closeEvent(QCloseEvent *Event)
{
    QMainWindow::closeEvent(Event);
    // Qt would go on while the settings window is open.
    if (Event->isAccepted())
        QCoreApplication::quit();
}
