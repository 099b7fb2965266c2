#pragma once

#include "app/shell/THandleCreateExceptionFormUnit.h"

// The settings window: interface language and music folder.
class TSettingsForm : public THandleCreateExceptionForm
{
    Q_OBJECT
public:
    TSettingsForm();
};
