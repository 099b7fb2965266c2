#pragma once

#include "settings/ISettingsSourceUnit.h"

class TRegistry;
enum class TRegistryRoot;

// Settings as values of one registry key: strings as REG_SZ, integers and
// truth values as REG_DWORD, doubles and date-times as 8 bytes of REG_BINARY.
class TWinRegistrySettingsSource : public TCustomSettingsSource
{
public:
    // Opens the key with full access, creating it when missing.
    TWinRegistrySettingsSource(TRegistryRoot AHKEY, const QString &AKeyPath);
    ~TWinRegistrySettingsSource() override;

    TVariant GetValue(const QString &KeyName, const TVariant &DefaultValue) override;
    void SetValue(const QString &KeyName, const TVariant &Value) override;
    bool IsKeyExists(const QString &KeyName) override;
    // The registry backend keeps its values.
    void Clear() override { }

private:
    double ReadDouble(const QString &KeyName) const;

    std::unique_ptr<TRegistry> FRegistry;
};
