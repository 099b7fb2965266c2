#pragma once

#include "app/shell/THandleCreateExceptionFormUnit.h"

#include <memory>

class TLocalAudioData;
class TSavedTracksDataSet;
class TVKAPIManager;
class TVKEmulationManager;

// The main window: tabs, lists, the player bar and the sign-in panels.
// Closing it ends the program, whatever other windows are open. It owns the
// network clients, which go before the rest of the window.
class TMainForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    TMainForm();
    ~TMainForm() override;

    TVKEmulationManager &VKEmulationManager() const { return *FVKEmulationManager; }
    TVKAPIManager &VKAPIManager() const { return *FVKAPIManager; }
    TLocalAudioData &LocalAudioData() const { return *FLocalAudioData; }
    // The saved-tracks table was damaged at start-up and its backup took its
    // place: the downloads recorded since then are no longer listed.
    bool SavedTracksRestored() const { return FSavedTracksRestored; }

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
    void closeEvent(QCloseEvent *Event) override;

private:
    // Opens the saved-tracks table, restoring it from its backup when it is
    // damaged; raises "EM_CorruptedSavedTracksDB" when neither copy opens,
    // "EM_SavedTracksDBNotOpened" with the reason when the table cannot be
    // read at all (then nothing is restored).
    void InitializeDB();

    std::unique_ptr<TSavedTracksDataSet> FSavedAudioDB;
    bool FSavedTracksRestored = false;
    std::unique_ptr<TVKEmulationManager> FVKEmulationManager;
    std::unique_ptr<TVKAPIManager> FVKAPIManager;
    // The Downloads tab's data, until its list box takes it over.
    std::unique_ptr<TLocalAudioData> FLocalAudioData;
};
