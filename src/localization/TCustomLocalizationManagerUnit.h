#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

struct TLocalizationString
{
    QString ID; // the key
    QString Value; // the text
};
using TLocalizationStringArray = std::vector<TLocalizationString>; // in file order

// One language: its locale identifier, its own name and its texts by key.
class TLocalization : public TObject
{
public:
    // A key given twice raises "Duplicates not allowed".
    TLocalization(quint32 ALocaleID, QString ADisplayedName, const TLocalizationStringArray &AStrings);

    quint32 LocaleID() const { return FLocaleID; }
    const QString &DisplayedName() const { return FDisplayedName; }
    // An absent key raises "Item not found".
    QString getValue(const QString &Key) const;
    bool ContainsKey(const QString &Key) const { return FDict.contains(Key); }

private:
    quint32 FLocaleID;
    QString FDisplayedName;
    QHash<QString, QString> FDict;
};

// The loaded languages and the active one: -1 the built-in texts, 0 or more
// an index into the loaded localizations (-2 until the first choice).
class TCustomLocalizationManager : public TObject
{
public:
    ~TCustomLocalizationManager() override;

    // The text of Key in the active language; an absent key raises.
    QString getValue(const QString &Key) const;
    // Whether Key is one of the built-in keys.
    bool ContainsKey(const QString &Key) const { return DefaultValues.contains(Key); }

    int ActiveLocalizationIndex() const { return FActiveLocalizationIndex; }
    // A new value is announced through DoActiveLocalizationChanged; the same
    // value again does nothing.
    void SetActiveLocalizationIndex(int Value);
    // 0 for the built-in texts.
    quint32 GetActiveLCID() const;
    // The first localization with this LCID becomes active, else the built-in texts.
    void SetActiveLCID(quint32 Value);

    int GetCount() const { return int(FLocalizations.size()); }
    TLocalization *getLocalization(int Index) const;

protected:
    // Derived constructors call InitializeDefaultValues first: a base
    // constructor cannot reach the derived override.
    TCustomLocalizationManager() = default;

    virtual void DoActiveLocalizationChanged() = 0;
    virtual void InitializeDefaultValues() = 0;

    int FActiveLocalizationIndex = -2;
    std::vector<std::unique_ptr<TLocalization>> FLocalizations;
    // The built-in texts, and the keys every localization must have.
    QHash<QString, QString> DefaultValues;

private:
    // The active localization, or null for the built-in texts.
    TLocalization *ActiveLocalization() const;
};
