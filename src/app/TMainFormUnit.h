#pragma once

#include "app/THandleCreateExceptionFormUnit.h"

// The main window: tabs, lists, the player bar and the sign-in panels.
class TMainForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    TMainForm();
    ~TMainForm() override;

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
    void FormDestroy();

private:
    void InitializeBassDLL();
    void FinalizeBassDLL();

    bool FAudioInitialized = false;
};
