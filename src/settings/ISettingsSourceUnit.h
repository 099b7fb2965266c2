#pragma once

#include "settings/TVariantUnit.h"

#include <memory>

// A backend of the settings store. The store holds it by shared reference and
// the backend goes when the last reference does.
class ISettingsSource
{
public:
    virtual ~ISettingsSource() = default;
    // The stored value, or DefaultValue when nothing is stored; the default's
    // kind tells how the stored value is read.
    virtual TVariant GetValue(const QString &KeyName, const TVariant &DefaultValue) = 0;
    // Stores the value at once.
    virtual void SetValue(const QString &KeyName, const TVariant &Value) = 0;
    virtual bool IsKeyExists(const QString &KeyName) = 0;
    // Removes everything the backend stores.
    virtual void Clear() = 0;
};

// Base of the program's backends.
class TCustomSettingsSource : public TObject, public ISettingsSource
{
};
