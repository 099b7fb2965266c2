#include "settings/TSettingsUnit.h"

#include "settings/ISettingsSourceUnit.h"

#include <cmath>

TSettingsValue::TSettingsValue(QString AKeyName, TVariant ADefaultValue, TVariant AMinValue, TVariant AMaxValue) :
      KeyName(std::move(AKeyName)), DefaultValue(std::move(ADefaultValue)), MinValue(std::move(AMinValue)),
      MaxValue(std::move(AMaxValue))
{
}

void TSettingsValue::CheckValueBounds(TVariant &AValue) const
{
    if (!AValue.IsNumeric())
        return;
    const double magnitude = AValue.Magnitude();
    // A stored NaN lies within no bounds: it takes the nearest usable bound.
    const bool notANumber = std::isnan(magnitude);
    if (!MinValue.IsNull() && (notANumber || magnitude < MinValue.Magnitude()))
        AValue = MinValue;
    else if (!MaxValue.IsNull() && (notANumber || magnitude > MaxValue.Magnitude()))
        AValue = MaxValue;
}

TSettingsValue *TSettingsValuesList::Add(std::unique_ptr<TSettingsValue> Item)
{
    FItems.push_back(std::move(Item));
    return FItems.back().get();
}

bool TSettingsValuesList::FindItemByKeyName(const QString &AKeyName, TSettingsValue *&Item) const
{
    for (const auto &candidate : FItems) {
        if (candidate->KeyName == AKeyName) {
            Item = candidate.get();
            return true;
        }
    }
    return false;
}

TSettings::TSettings(std::shared_ptr<ISettingsSource> ASettingsSource) :
      FSettingsSource(std::move(ASettingsSource)), FValuesList(std::make_unique<TSettingsValuesList>())
{
}

TSettings::~TSettings() = default;

void TSettings::DeclareValue(
    const QString &AKeyName, const TVariant &ADefaultValue, const TVariant &AMinValue, const TVariant &AMaxValue)
{
    FValuesList->Add(std::make_unique<TSettingsValue>(AKeyName, ADefaultValue, AMinValue, AMaxValue));
}

TSettingsValue *TSettings::FindOrDeclare(const QString &KeyName, const char *UnknownKeyMessage)
{
    TSettingsValue *item = nullptr;
    if (FValuesList->FindItemByKeyName(KeyName, item))
        return item;
    if (!test)
        throw Exception(QString::fromLatin1(UnknownKeyMessage));
    return FValuesList->Add(
        std::make_unique<TSettingsValue>(KeyName, TVariant::FromString(QString()), TVariant::Null(), TVariant::Null()));
}

TVariant TSettings::GetValue(const QString &KeyName)
{
    TSettingsValue *item = FindOrDeclare(KeyName, "getting value of nonexisting param");
    if (!item->IsInitialized) {
        TVariant value = FSettingsSource->GetValue(KeyName, item->DefaultValue);
        item->CheckValueBounds(value);
        item->Value = value;
        item->IsInitialized = true;
    }
    return item->Value;
}

void TSettings::SetValue(const QString &KeyName, const TVariant &Value)
{
    TSettingsValue *item = FindOrDeclare(KeyName, "setting value of nonexisting param");
    TVariant value = Value;
    item->CheckValueBounds(value);
    FSettingsSource->SetValue(KeyName, value);
    item->Value = value;
    item->IsInitialized = true;
}

void TSettings::Clear()
{
    for (const auto &item : FValuesList->Items())
        SetValue(item->KeyName, TVariant());
}

void TSettings::ClearSource()
{
    FSettingsSource->Clear();
}
