#include "app/TMainFormUnit.h"

#include "playback/AudioLibraryUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "app/TVersionInfoUnit.h"

#include <QCoreApplication>

TMainForm::TMainForm()
{
    setObjectName(QStringLiteral("MainForm"));
    resize(960, 640);
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::FormCreate()
{
    InitializeBassDLL();
    setWindowTitle(QStringLiteral("Marvane Player ") + GetProgramVersionString());
    // Last step: the window fills its texts in the active language.
    QEvent message(WM_LOCALIZATIONCHANGED);
    QCoreApplication::sendEvent(this, &message);
}

void TMainForm::FormDestroy()
{
    FinalizeBassDLL();
}

void TMainForm::InitializeBassDLL()
{
    if (!AudioLibrary::Init())
        throw Exception(QStringLiteral("Can't initialize device"));
    FAudioInitialized = true;
}

// The audio player has freed its stream by now: it goes before the windows.
void TMainForm::FinalizeBassDLL()
{
    if (FAudioInitialized)
        AudioLibrary::Free();
    FAudioInitialized = false;
}
