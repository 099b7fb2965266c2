#include "settings/TIniFileSettingsSourceUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "platform/TIniFileUnit.h"
#include "settings/TSettingValueStreamUnit.h"

namespace {

const QString Section; // the section with the empty name

// Hexadecimal digit pairs into bytes, up to the first pair that is not one.
QByteArray HexToBytes(const QString &Text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < Text.size(); i += 2) {
        const int high = HexDigitValue(Text[i]);
        const int low = HexDigitValue(Text[i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

[[noreturn]] void RaiseUnsupported()
{
    throw Exception(QStringLiteral("Unsupported variant type"));
}

} // namespace

TIniFileSettingsSource::TIniFileSettingsSource(const QString &IniFilePath) :
      FIniFile(std::make_unique<TIniFile>(IniFilePath))
{
}

TIniFileSettingsSource::~TIniFileSettingsSource() = default;

TVariant TIniFileSettingsSource::GetValue(const QString &KeyName, const TVariant &DefaultValue)
{
    switch (DefaultValue.Type()) {
    case TVarType::vtInteger:
    case TVarType::vtBoolean:
    case TVarType::vtString: {
        const QString text = FIniFile->ReadString(Section, KeyName, DefaultValue.ToString());
        if (text.isEmpty() && DefaultValue.Type() != TVarType::vtString)
            return TVariant::FromByte(0);
        return TVariant::FromString(text);
    }
    case TVarType::vtDouble:
    case TVarType::vtDateTime:
        if (!FIniFile->ValueExists(Section, KeyName))
            return DefaultValue;
        return TVariant::FromDateTime(
            TSettingValueStream(HexToBytes(FIniFile->ReadString(Section, KeyName, QString()))).ReadDouble());
    default:
        RaiseUnsupported();
    }
}

void TIniFileSettingsSource::SetValue(const QString &KeyName, const TVariant &Value)
{
    QString text;
    switch (Value.Type()) {
    case TVarType::vtEmpty:
    case TVarType::vtInteger:
    case TVarType::vtBoolean:
    case TVarType::vtString:
        text = Value.ToString();
        break;
    case TVarType::vtDouble:
    case TVarType::vtDateTime:
        text = QString::fromLatin1(TSettingValueStream(Value.ToDouble()).Bytes().toHex().toUpper());
        break;
    default:
        RaiseUnsupported();
    }
    if (!FIniFile->WriteString(Section, KeyName, text))
        throw Exception(QStringLiteral("Unable to write to %1").arg(FIniFile->FileName()));
}

bool TIniFileSettingsSource::IsKeyExists(const QString &KeyName)
{
    return FIniFile->ValueExists(Section, KeyName);
}

void TIniFileSettingsSource::Clear()
{
    QStringList sections = FIniFile->ReadSections();
    if (FIniFile->SectionExists(Section))
        sections << Section;
    for (const QString &name : sections)
        FIniFile->EraseSection(name);
}
