#include "settings/TVariantUnit.h"

#include <cmath>
#include <limits>

namespace {

const char *TypeName(TVarType Type)
{
    switch (Type) {
    case TVarType::vtEmpty:
        return "Empty";
    case TVarType::vtNull:
        return "Null";
    case TVarType::vtInteger:
        return "Integer";
    case TVarType::vtDouble:
        return "Double";
    case TVarType::vtDateTime:
        return "Date";
    case TVarType::vtBoolean:
        return "Boolean";
    case TVarType::vtByte:
        return "Byte";
    case TVarType::vtString:
        return "UnicodeString";
    }
    return "Unknown";
}

bool TextToDouble(const QString &Text, double &Value)
{
    bool ok = false;
    Value = Text.trimmed().toDouble(&ok);
    return ok;
}

} // namespace

TVariant::TVariant(TVarType Type, double Number, QString Text) : FType(Type), FNumber(Number), FText(std::move(Text))
{
}

TVariant TVariant::Null()
{
    return TVariant(TVarType::vtNull, 0);
}
TVariant TVariant::FromInteger(qint32 Value)
{
    return TVariant(TVarType::vtInteger, Value);
}
TVariant TVariant::FromDouble(double Value)
{
    return TVariant(TVarType::vtDouble, Value);
}
TVariant TVariant::FromDateTime(double Value)
{
    return TVariant(TVarType::vtDateTime, Value);
}
TVariant TVariant::FromBoolean(bool Value)
{
    return TVariant(TVarType::vtBoolean, Value ? 1 : 0);
}
TVariant TVariant::FromByte(quint8 Value)
{
    return TVariant(TVarType::vtByte, Value);
}
TVariant TVariant::FromString(const QString &Value)
{
    return TVariant(TVarType::vtString, 0, Value);
}

bool TVariant::IsNumeric() const
{
    return FType == TVarType::vtBoolean || FType == TVarType::vtByte || FType == TVarType::vtInteger
        || FType == TVarType::vtDouble;
}

void TVariant::RaiseCastError(TVarType Target) const
{
    throw EVariantError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                            .arg(QLatin1String(TypeName(FType)), QLatin1String(TypeName(Target))));
}

qint32 TVariant::ToInteger() const
{
    double value = 0;
    if (FType == TVarType::vtNull || (FType == TVarType::vtString && !TextToDouble(FText, value)))
        RaiseCastError(TVarType::vtInteger);
    if (FType != TVarType::vtString)
        value = FNumber;
    // Rounds half to even, as the conversion of a fractional value does.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<qint32>::min() && rounded <= std::numeric_limits<qint32>::max()))
        RaiseCastError(TVarType::vtInteger);
    return qint32(rounded);
}

double TVariant::ToDouble() const
{
    double value = FNumber;
    if (FType == TVarType::vtNull || (FType == TVarType::vtString && !TextToDouble(FText, value)))
        RaiseCastError(TVarType::vtDouble);
    return value;
}

bool TVariant::ToBoolean() const
{
    if (FType == TVarType::vtString) {
        const QString text = FText.trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        double value = 0;
        if (!TextToDouble(text, value))
            RaiseCastError(TVarType::vtBoolean);
        return value != 0;
    }
    if (FType == TVarType::vtNull)
        RaiseCastError(TVarType::vtBoolean);
    return FNumber != 0;
}

QString TVariant::ToString() const
{
    switch (FType) {
    case TVarType::vtEmpty:
        return QString();
    case TVarType::vtNull:
        RaiseCastError(TVarType::vtString);
    case TVarType::vtBoolean:
        return FNumber != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case TVarType::vtInteger:
    case TVarType::vtByte:
        return QString::number(qint64(FNumber));
    case TVarType::vtDouble:
    case TVarType::vtDateTime:
        return QString::number(FNumber, 'g', 15);
    case TVarType::vtString:
        return FText;
    }
    return QString();
}
