#pragma once

#include <QByteArray>

// The eight bytes of a double in little-endian IEEE form, as the backends
// store date-time and floating-point settings.
class TSettingValueStream
{
public:
    explicit TSettingValueStream(double AData);
    explicit TSettingValueStream(QByteArray ABytes) : FBytes(std::move(ABytes)) { }

    const QByteArray &Bytes() const { return FBytes; }
    // The first eight bytes as a double; fewer raise "Stream read error".
    double ReadDouble() const;

private:
    QByteArray FBytes;
};
