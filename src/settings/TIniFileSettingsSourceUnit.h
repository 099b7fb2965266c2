#pragma once

#include "settings/ISettingsSourceUnit.h"

class TIniFile;

// Settings as keys of the INI section with the empty name ("[]"). Values are
// kept as text; doubles and date-times as sixteen upper-case hexadecimal
// digits of their eight bytes.
class TIniFileSettingsSource : public TCustomSettingsSource
{
public:
    // The file is created by the first write.
    explicit TIniFileSettingsSource(const QString &IniFilePath);
    ~TIniFileSettingsSource() override;

    // Integer, Boolean and String settings come back as String values (Byte 0
    // for an empty Integer or Boolean line); Double and DateTime as DateTime.
    TVariant GetValue(const QString &KeyName, const TVariant &DefaultValue) override;
    void SetValue(const QString &KeyName, const TVariant &Value) override;
    bool IsKeyExists(const QString &KeyName) override;
    // Erases every section, the unnamed one included.
    void Clear() override;

private:
    std::unique_ptr<TIniFile> FIniFile;
};
