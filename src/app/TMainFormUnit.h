#pragma once

#include "THandleCreateExceptionFormUnit.h"

// The main window: tabs, lists, the player bar and the sign-in panels.
class TMainForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    TMainForm();

protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override;
};
