#include "localization/TCustomLocalizationManagerUnit.h"

namespace {

QString ValueOf(const QHash<QString, QString> &Dict, const QString &Key)
{
    const auto it = Dict.constFind(Key);
    if (it == Dict.constEnd())
        throw Exception(QStringLiteral("Item not found"));
    return *it;
}

} // namespace

TLocalization::TLocalization(quint32 ALocaleID, QString ADisplayedName, const TLocalizationStringArray &AStrings) :
      FLocaleID(ALocaleID), FDisplayedName(std::move(ADisplayedName))
{
    for (const auto &entry : AStrings) {
        if (FDict.contains(entry.ID))
            throw Exception(QStringLiteral("Duplicates not allowed"));
        FDict.insert(entry.ID, entry.Value);
    }
}

QString TLocalization::getValue(const QString &Key) const
{
    return ValueOf(FDict, Key);
}

TCustomLocalizationManager::~TCustomLocalizationManager() = default;

TLocalization *TCustomLocalizationManager::getLocalization(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FLocalizations[Index].get();
}

TLocalization *TCustomLocalizationManager::ActiveLocalization() const
{
    // Before the first choice the built-in texts serve as well.
    return FActiveLocalizationIndex < 0 ? nullptr : getLocalization(FActiveLocalizationIndex);
}

QString TCustomLocalizationManager::getValue(const QString &Key) const
{
    const TLocalization *active = ActiveLocalization();
    return active ? active->getValue(Key) : ValueOf(DefaultValues, Key);
}

void TCustomLocalizationManager::SetActiveLocalizationIndex(int Value)
{
    if (Value == FActiveLocalizationIndex)
        return;
    FActiveLocalizationIndex = Value;
    DoActiveLocalizationChanged();
}

quint32 TCustomLocalizationManager::GetActiveLCID() const
{
    const TLocalization *active = ActiveLocalization();
    return active ? active->LocaleID() : 0;
}

void TCustomLocalizationManager::SetActiveLCID(quint32 Value)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (FLocalizations[i]->LocaleID() == Value) {
            SetActiveLocalizationIndex(i);
            return;
        }
    }
    SetActiveLocalizationIndex(-1);
}
