#pragma once

#include "foundation/THierarchicalSingletonUnit.h"
#include "settings/TVariantUnit.h"

#include <memory>
#include <vector>

class ISettingsSource;

// One declared setting with its default and optional bounds (Null: none).
class TSettingsValue : public TObject
{
public:
    TSettingsValue(QString AKeyName, TVariant ADefaultValue, TVariant AMinValue, TVariant AMaxValue);

    // Clamps a numeric value to the bounds; other kinds pass unchanged.
    void CheckValueBounds(TVariant &AValue) const;

    QString KeyName;
    TVariant Value; // valid once IsInitialized
    TVariant DefaultValue;
    TVariant MinValue;
    TVariant MaxValue;
    bool IsInitialized = false;
};

// The declared settings in declaration order; owns them.
class TSettingsValuesList
{
public:
    TSettingsValue *Add(std::unique_ptr<TSettingsValue> Item);
    // The first item whose key equals AKeyName exactly.
    bool FindItemByKeyName(const QString &AKeyName, TSettingsValue *&Item) const;
    const std::vector<std::unique_ptr<TSettingsValue>> &Items() const { return FItems; }

private:
    std::vector<std::unique_ptr<TSettingsValue>> FItems;
};

// A fixed set of typed settings over an exchangeable backend. Each setting is
// read from the backend once and then served from its cache; every write goes
// through at once. Concrete settings declare their keys in their constructor.
class TSettings : public THierarchicalSingleton
{
public:
    ~TSettings() override;

    TVariant GetValue(const QString &KeyName);
    void SetValue(const QString &KeyName, const TVariant &Value);
    // Writes Empty to every declared key, in order.
    void Clear();
    // Asks the backend to remove what it stores.
    void ClearSource();

    // When true, an unknown key is declared on the fly instead of raising.
    bool test = false;

protected:
    explicit TSettings(std::shared_ptr<ISettingsSource> ASettingsSource);
    void DeclareValue(const QString &AKeyName, const TVariant &ADefaultValue,
        const TVariant &AMinValue = TVariant::Null(), const TVariant &AMaxValue = TVariant::Null());

private:
    TSettingsValue *FindOrDeclare(const QString &KeyName, const char *UnknownKeyMessage);

    std::shared_ptr<ISettingsSource> FSettingsSource;
    std::unique_ptr<TSettingsValuesList> FValuesList; // goes before the backend
};
