#pragma once

#include "settings/TSettingsUnit.h"

// The keys of a VK API access token in "Token.ini" of the per-user data
// folder, reached through GetValue/SetValue. Obtain with
// GetInstance<TTokenSettings>().
class TTokenSettings : public TSettings
{
protected:
    TTokenSettings();
    template<class C> friend C *GetInstance();
};
