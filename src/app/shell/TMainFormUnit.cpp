#include "app/shell/TMainFormUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/helpers/TVersionInfoUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
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
    FLocalAudioData.reset();
    FVKEmulationManager.reset();
    FVKAPIManager.reset();
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Marvane Player ") + GetProgramVersionString());
    InitializeDB();
    FVKAPIManager = std::make_unique<TVKAPIManager>(QStringLiteral("5.37"));
    // Loads the stored cookies; sign-in starts once the sign-in views are there.
    FVKEmulationManager = std::make_unique<TVKEmulationManager>();
    FLocalAudioData = std::make_unique<TLocalAudioData>(*FVKEmulationManager, *FSavedAudioDB);
    // Last step: the window fills its texts in the active language.
    QEvent message(WM_LOCALIZATIONCHANGED);
    QCoreApplication::sendEvent(this, &message);
}

void TMainForm::InitializeDB()
{
    TSavedTracksOpening opening = OpenSavedTracksDB(GetSavedTracksDBPath(), GetSavedTracksBackupDBPath());
    if (!opening.DataSet && opening.Damaged)
        throw Exception(LocalizationManager->getValue(QStringLiteral("EM_CorruptedSavedTracksDB")));
    // Locked, busy or unreadable: the file is not said to be damaged.
    if (!opening.DataSet)
        throw Exception(LocalizationManager->getValue(QStringLiteral("EM_SavedTracksDBNotOpened"))
                            .replace(QStringLiteral("%s"), opening.ErrorMessage));
    FSavedAudioDB = std::move(opening.DataSet);
    FSavedTracksRestored = opening.Restored;
}

void TMainForm::closeEvent(QCloseEvent *Event)
{
    QMainWindow::closeEvent(Event);
    // Qt would go on while the settings window is open.
    if (Event->isAccepted())
        QCoreApplication::quit();
}
