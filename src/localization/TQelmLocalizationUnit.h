#pragma once

#include "localization/TLocalizationLoaderUnit.h"

#include <QEvent>

// The localization-changed message: every window and, depth first, everything
// it owns receive it when the active language changes.
inline constexpr QEvent::Type WM_LOCALIZATIONCHANGED = QEvent::Type(1025);

class TQelmLocalization : public TLocalization
{
public:
    TQelmLocalization(
        quint32 ALocaleID, QString ADisplayedNameA, QString AISOCode, const TLocalizationStringArray &AStrings);
    const QString &ISOCode() const { return FISOCode; }

private:
    QString FISOCode; // e.g. "en"
};

// The program's localization files: a [Main] part with "LCID", "DisplayedName"
// and "ISOCode" lines, then "[Data]" with one "key=text" per line.
class TQelmFileParser : public TCustomFileParser
{
public:
    using TCustomFileParser::TCustomFileParser;

    quint32 GetLCID() override;
    QString GetDisplayedName() override;
    QString GetISOCode();
    TLocalizationStringArray GetStrings() override;
    std::unique_ptr<TLocalization> CreateLocalization() override;

private:
    QString ValueOfName(const QString &Name, const QString &MissingMessage) const;
};

class TQelmResourcesLocalizationLoader : public TCustomResourceLocalizationLoader
{
public:
    using TCustomResourceLocalizationLoader::TCustomResourceLocalizationLoader;
};

class TQelmLocalizationManager : public TCustomLocalizationManager
{
public:
    // Loads the program's "LOCALIZATION" resources.
    TQelmLocalizationManager();
    // Loads from the given loader.
    explicit TQelmLocalizationManager(ILocalizationLoader &Loader);

    // "ru" for the built-in texts.
    QString GetActiveLocalizationISOCode() const;
    TQelmLocalization *getLocalization(int Index) const;
    // The first localization whose ISO code equals Lang exactly becomes
    // active; when none does, the English one by its LCID, else the built-in texts.
    void SelectStartupLocalization(const QString &Lang);

protected:
    // Sends WM_LOCALIZATIONCHANGED to every window and what it owns, the
    // windows in the order they were created (or became windows).
    void DoActiveLocalizationChanged() override;
    void InitializeDefaultValues() override;

private:
    // Keeps every localization that loads and has all the built-in keys.
    void Load(ILocalizationLoader &Loader);
};

// Sends WM_LOCALIZATIONCHANGED to Target and then, depth first, to every
// object it owns, in ownership order.
void SendLocalizationChangedMessage(QObject *Target);

// The program's manager, from InitializeLocalizationManager to
// FinalizeLocalizationManager.
extern TQelmLocalizationManager *LocalizationManager;
// Creates the manager and chooses the language from the "Lang" setting.
void InitializeLocalizationManager();
void FinalizeLocalizationManager();
