#pragma once

#include "app/THandleCreateExceptionFormUnit.h"

// The main window: tabs, lists, the player bar and the sign-in panels.
// Closing it ends the program, whatever other windows are open.
class TMainForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    TMainForm();

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
    void closeEvent(QCloseEvent *Event) override;
};
