#include "settings/TSettingValueStreamUnit.h"

#include "foundation/BaseTypesUnit.h"

#include <QtEndian>

#include <bit>

TSettingValueStream::TSettingValueStream(double AData) : FBytes(sizeof(double), '\0')
{
    qToLittleEndian(std::bit_cast<quint64>(AData), FBytes.data());
}

double TSettingValueStream::ReadDouble() const
{
    if (FBytes.size() < qsizetype(sizeof(double)))
        throw Exception(QStringLiteral("Stream read error"));
    return std::bit_cast<double>(qFromLittleEndian<quint64>(FBytes.constData()));
}
