#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QString>

// The kinds a setting's value can have, numbered by their kind codes (the code
// appears in the registry backend's "Unsupported variant type = " message).
enum class TVarType : quint16 {
    vtEmpty = 0,
    vtNull = 1,
    vtInteger = 3,
    vtDouble = 5,
    vtDateTime = 7, // days since 1899-12-30, the fraction is the time of day
    vtBoolean = 11,
    vtByte = 17,
    vtString = 258,
};

// A conversion the value's kind does not allow.
class EVariantError : public Exception
{
public:
    using Exception::Exception;
};

// A tagged value: a kind and its content.
class TVariant
{
public:
    TVariant() = default; // Empty

    static TVariant Null();
    static TVariant FromInteger(qint32 Value);
    static TVariant FromDouble(double Value);
    static TVariant FromDateTime(double Value);
    static TVariant FromBoolean(bool Value);
    static TVariant FromByte(quint8 Value);
    static TVariant FromString(const QString &Value);

    TVarType Type() const { return FType; }
    bool IsEmpty() const { return FType == TVarType::vtEmpty; }
    bool IsNull() const { return FType == TVarType::vtNull; }
    // Boolean, Byte, Integer and Double; DateTime and String are not.
    bool IsNumeric() const;
    // The magnitude of a numeric value (true counts 1).
    double Magnitude() const { return FNumber; }

    // Conversions for typed access; an impossible one raises EVariantError.
    // Empty converts to 0, false and "", Null to nothing.
    qint32 ToInteger() const;
    double ToDouble() const;
    bool ToBoolean() const;
    // Integer and Byte in decimal, Boolean as "True"/"False".
    QString ToString() const;

    bool operator==(const TVariant &Other) const = default;

private:
    TVariant(TVarType Type, double Number, QString Text = QString());
    [[noreturn]] void RaiseCastError(TVarType Target) const;

    TVarType FType = TVarType::vtEmpty;
    double FNumber = 0; // content of every kind but String
    QString FText;
};
