#include "settings/TWinRegistrySettingsSourceUnit.h"

#include "platform/TRegistryUnit.h"
#include "settings/TSettingValueStreamUnit.h"

TWinRegistrySettingsSource::TWinRegistrySettingsSource(TRegistryRoot AHKEY, const QString &AKeyPath) :
      FRegistry(std::make_unique<TRegistry>(AHKEY))
{
    // A key that cannot be opened leaves reads at their defaults; writes then
    // raise the registry's error.
    FRegistry->OpenKey(AKeyPath, true);
}

TWinRegistrySettingsSource::~TWinRegistrySettingsSource()
{
    FRegistry->CloseKey();
}

double TWinRegistrySettingsSource::ReadDouble(const QString &KeyName) const
{
    const QByteArray data = FRegistry->ReadBinaryData(KeyName);
    // Anything but exactly one double is another kind of data.
    if (data.size() != qsizetype(sizeof(double)))
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(KeyName));
    return TSettingValueStream(data).ReadDouble();
}

TVariant TWinRegistrySettingsSource::GetValue(const QString &KeyName, const TVariant &DefaultValue)
{
    if (!FRegistry->ValueExists(KeyName))
        return DefaultValue;
    switch (DefaultValue.Type()) {
    case TVarType::vtString:
        return TVariant::FromString(FRegistry->ReadString(KeyName));
    case TVarType::vtInteger:
        return TVariant::FromInteger(FRegistry->ReadInteger(KeyName));
    case TVarType::vtBoolean:
        return TVariant::FromBoolean(FRegistry->ReadInteger(KeyName) != 0);
    case TVarType::vtDateTime:
        return TVariant::FromDateTime(ReadDouble(KeyName));
    case TVarType::vtDouble:
        return TVariant::FromDouble(ReadDouble(KeyName));
    default:
        throw Exception(QStringLiteral("Unsupported variant type = %1").arg(int(DefaultValue.Type())));
    }
}

void TWinRegistrySettingsSource::SetValue(const QString &KeyName, const TVariant &Value)
{
    switch (Value.Type()) {
    case TVarType::vtString:
        FRegistry->WriteString(KeyName, Value.ToString());
        break;
    case TVarType::vtInteger:
        FRegistry->WriteInteger(KeyName, Value.ToInteger());
        break;
    case TVarType::vtBoolean:
        FRegistry->WriteInteger(KeyName, Value.ToBoolean() ? 1 : 0);
        break;
    case TVarType::vtDateTime:
    case TVarType::vtDouble:
        FRegistry->WriteBinaryData(KeyName, TSettingValueStream(Value.ToDouble()).Bytes());
        break;
    default:
        throw Exception(QStringLiteral("Unsupported variant type"));
    }
}

bool TWinRegistrySettingsSource::IsKeyExists(const QString &KeyName)
{
    return FRegistry->ValueExists(KeyName);
}
