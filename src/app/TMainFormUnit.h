#pragma once

#include "app/THandleCreateExceptionFormUnit.h"

#include <memory>

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

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
    void closeEvent(QCloseEvent *Event) override;

private:
    std::unique_ptr<TVKEmulationManager> FVKEmulationManager;
};
