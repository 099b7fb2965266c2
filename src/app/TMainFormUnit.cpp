#include "app/TMainFormUnit.h"

#include "app/TVersionInfoUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QCloseEvent>
#include <QCoreApplication>

TMainForm::TMainForm()
{
    setObjectName(QStringLiteral("MainForm"));
    resize(960, 640);
}

TMainForm::~TMainForm()
{
    // First of all: the web client stores its cookies as it goes.
    FVKEmulationManager.reset();
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Marvane Player ") + GetProgramVersionString());
    // Loads the stored cookies; sign-in starts once the sign-in views are there.
    FVKEmulationManager = std::make_unique<TVKEmulationManager>();
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
